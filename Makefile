# The two entry points of the README. Each installs what is missing first.
PRESET ?= dev
JOBS ?= $(shell nproc)
# Options for the host, e.g. RUN_ARGS="--app simdemo --start --run-ms 3000".
RUN_ARGS ?=

.PHONY: deps build run test asan tsan bench clean format

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	build/$(PRESET)/bin/zarvex-host $(RUN_ARGS)

test: build
	ctest --preset $(PRESET) -j $(JOBS)

asan:
	$(MAKE) test PRESET=asan

tsan:
	$(MAKE) test PRESET=tsan

bench: build
	@for b in build/$(PRESET)/bench/bench_*; do echo "== $$b"; $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
