# Quick start: `make run` and `make test` do all the set-up on a fresh Debian 12 machine.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS         ?= $(shell nproc)
CMAKE_FLAGS  ?=

TSAN_DIR     ?= build-tsan
# The engines' suites, the ones whose code runs on several threads.
ENGINE_SUITES = convolver_tests surround_tests decoder_tests bformat_tests binaural_tests spatial_tests chain_tests

.PHONY: all deps build test test-sanitize test-thread fuzz run bench package clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@sh scripts/run-tests.sh $(BUILD_DIR) $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_SANITIZE=ON $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@sh scripts/run-tests.sh $(SANITIZE_DIR) $(JOBS)

test-thread: deps
	@cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_TSAN=ON $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target $(ENGINE_SUITES)
	@for suite in $(ENGINE_SUITES); do \
		TSAN_OPTIONS="halt_on_error=1" $(TSAN_DIR)/tests/$$suite --gtest_brief=1 || exit 1; \
	done

# The fuzz targets (fuzz/), built with clang in their own directory: the engines with every
# decoder, the SOFA reader, the converter's command line and the conversion job. They share
# FUZZ_SECONDS seconds evenly (fuzz/run.sh); a crash fails the target and leaves its input in
# $(FUZZ_DIR)/fuzz/crashes/<target>/.
fuzz:
	@sh scripts/install-deps.sh fuzz
	@cmake -S . -B $(FUZZ_DIR) -DVQ_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 > /dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@sh fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Only what `make run` runs: the two programs and the staged filters, demo and guide, in the
# build tree `make test` uses too; with nothing changed it goes straight to the window.
RUN_TARGETS = vessarquilix vessarquilix-convert vq_default_filters vq_demo_recording vq_stage_docs

run: deps
	@test -f $(BUILD_DIR)/CMakeCache.txt || \
		cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target $(RUN_TARGETS)
	@sh scripts/run.sh $(BUILD_DIR)

# The Debian package of the build, build/vessarquilix_<version>_<arch>.deb (data/debian/).
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@$(BUILD_DIR)/bench/vq-bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR)
