# cmake -DTOOL=<zx-rcprep> -DWINDRES=<windres> -DRC_DIR=<platform/rc>
#       -DBAD=<folder of broken scripts> -DWORK=<scratch folder> -P RcStepErrors.cmake
#
# A broken resource script stops the resource step with its file and line,
# from the pre-pass or from windres, and never leaves a script to compile.
cmake_minimum_required(VERSION 3.25)

# Runs the resource step's two commands as zx_target_resources does; sets
# `failed` and `message` (all that was printed).
function(compile script)
  set(out ${WORK}/out.rc)
  file(REMOVE_RECURSE ${WORK})
  file(MAKE_DIRECTORY ${WORK})
  execute_process(COMMAND ${TOOL} --out ${out} --depfile ${out}.d --stage ${WORK}/included
                          -I ${RC_DIR} ${BAD}/${script}
                  RESULT_VARIABLE result ERROR_VARIABLE text OUTPUT_VARIABLE text)
  if(result EQUAL 0)
    execute_process(COMMAND ${WINDRES} --preprocessor=cpp -D RC_INVOKED -D _WIN32 -c 65001 -O res
                            -I ${RC_DIR} -i ${out} -o ${WORK}/out.res
                    RESULT_VARIABLE result ERROR_VARIABLE text OUTPUT_VARIABLE text)
  elseif(EXISTS ${out})
    message(FATAL_ERROR "${script}: the pre-pass failed but left ${out}")
  endif()
  set(failed ${result} PARENT_SCOPE)
  set(message "${text}" PARENT_SCOPE)
endfunction()

set(problems "")
foreach(case "toolbar_noend.rc|toolbar_noend\\.rc:2: error: BEGIN \\.\\.\\. END block without its END"
             "dialog_syntax.rc|dialog_syntax\\.rc:6: syntax error")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 script)
  list(GET case 1 expected)
  compile(${script})
  if(failed EQUAL 0)
    string(APPEND problems "${script}: compiled, but is broken\n")
  elseif(NOT message MATCHES "${BAD}/${expected}")
    string(APPEND problems "${script}: no \"${expected}\" in:\n${message}\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
