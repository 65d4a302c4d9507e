# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD_TYPE_DIR := build
ARGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps run test tsan bench fuzz-step release debug format clean

all: release

deps:
	@scripts/install-deps

release: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/release -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF
	cmake --build $(BUILD_TYPE_DIR)/release -j $(JOBS)

# Runs squish in a window with the default scene, or ARGS="scenes/NAME.txt".
run: release
	$(BUILD_TYPE_DIR)/release/app/squish $(ARGS)

# Debug build with AddressSanitizer + UndefinedBehaviorSanitizer, then every test.
test: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/test -DCMAKE_BUILD_TYPE=Debug -DSQUISH_SANITIZE=ON
	cmake --build $(BUILD_TYPE_DIR)/test -j $(JOBS)
	cd $(BUILD_TYPE_DIR)/test && ctest --output-on-failure -j $(JOBS)

# The threaded tests (presenter against the program's thread) under ThreadSanitizer.
tsan: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/tsan -DCMAKE_BUILD_TYPE=Debug -DSQUISH_TSAN=ON
	cmake --build $(BUILD_TYPE_DIR)/tsan -j $(JOBS) --target display_tests display_thread_tests
	cd $(BUILD_TYPE_DIR)/tsan && ctest --output-on-failure -L threads

# The fast physics step against the plain one under libFuzzer (clang), for FUZZ_SECONDS seconds.
FUZZ_SECONDS ?= 30
fuzz-step: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DSQUISH_TESTS=OFF -DSQUISH_FUZZ=ON
	cmake --build $(BUILD_TYPE_DIR)/fuzz -j $(JOBS) --target step_fuzz
	mkdir -p $(BUILD_TYPE_DIR)/fuzz/corpus
	$(BUILD_TYPE_DIR)/fuzz/tests/fuzz/step_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 $(BUILD_TYPE_DIR)/fuzz/corpus

bench: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/bench -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF -DSQUISH_BENCH=ON
	cmake --build $(BUILD_TYPE_DIR)/bench -j $(JOBS)
	for b in $(BUILD_TYPE_DIR)/bench/bench/*_bench; do $$b || exit 1; done

format:
	find app sim scene panel widgets display tests bench tools -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_TYPE_DIR)
