# Runs a libFuzzer executable for a bounded number of inputs over a fresh
# copy of the seed corpus (cmake -P, from ctest):
#   -DDRIVER=<mutation driver> -DFUZZER=<fuzzer> -DWORK=<dir> -DRUNS=<n>
#   -DSEEDS=<files separated by |>
# The driver prepares the seeds as the target wants them; new corpus entries
# go to WORK/corpus, thrown away at the next run, and crash inputs to WORK/.

string(REPLACE "|" ";" SEEDS "${SEEDS}")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
execute_process(COMMAND ${DRIVER} --write-corpus ${WORK}/seeds ${SEEDS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "preparing the seeds failed: ${result}")
endif()
# The time cap keeps a test on a loaded machine under a minute; on an idle
# one the run count ends it first.
execute_process(COMMAND ${FUZZER} -runs=${RUNS} -max_total_time=45 -seed=1 -max_len=8192
                        -rss_limit_mb=2048
                        -print_final_stats=1 -artifact_prefix=${WORK}/
                        ${WORK}/corpus ${WORK}/seeds
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); see ${WORK}/ for the input")
endif()
