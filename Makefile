# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD_TYPE_DIR := build
ARGS ?=
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps run test tsan bench fuzz fuzz-build fuzz-step soak release debug format clean docs-media install package

all: release

deps:
	@scripts/install-deps

release: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/release -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD_TYPE_DIR)/release -j $(JOBS)

# Installs the release build under PREFIX (default /usr/local), or under DESTDIR/PREFIX when
# DESTDIR is given. The programs look for their font sheet in PREFIX/share/squish.
install: release
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_TYPE_DIR)/release

# A Debian package of a release build installed under /usr, in build/package/packages.
package: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/package -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(BUILD_TYPE_DIR)/package -j $(JOBS)
	cd $(BUILD_TYPE_DIR)/package && cpack -G DEB -B packages

# Runs squish in a window with the default scene, or ARGS="scenes/NAME.txt".
run: release
	$(BUILD_TYPE_DIR)/release/app/squish $(ARGS)

# Debug build with AddressSanitizer + UndefinedBehaviorSanitizer, then every test; then the fast
# step against the plain one again, compiled as the program is: the optimiser (vector
# instructions, reordered operands) must not change a single result; and squish-headless under a
# memory limit, which the sanitizers' shadow memory would not fit in.
test: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/test -DCMAKE_BUILD_TYPE=Debug -DSQUISH_SANITIZE=ON
	cmake --build $(BUILD_TYPE_DIR)/test -j $(JOBS)
	cd $(BUILD_TYPE_DIR)/test && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD_TYPE_DIR)/test-optimised -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_TYPE_DIR)/test-optimised -j $(JOBS) --target sim_tests headless_tests squish-headless
	$(BUILD_TYPE_DIR)/test-optimised/tests/sim/sim_tests --gtest_brief=1 --gtest_filter='FastStep.*'
	$(BUILD_TYPE_DIR)/test-optimised/tests/headless/headless_tests --gtest_brief=1 \
	  --gtest_filter='HeadlessRun.ReferenceStepGivesTheSameRun'
	tests/headless/memory_limit.sh $(BUILD_TYPE_DIR)/test-optimised/headless/squish-headless

# The threaded tests (presenter against the program's thread, a picture drawn by two threads,
# a recording encoded on its own thread, the fast step on two threads against the plain step)
# under ThreadSanitizer.
tsan: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/tsan -DCMAKE_BUILD_TYPE=Debug -DSQUISH_TSAN=ON
	cmake --build $(BUILD_TYPE_DIR)/tsan -j $(JOBS) --target display_tests display_thread_tests app_tests pictures_tests \
	  sim_tests
	cd $(BUILD_TYPE_DIR)/tsan && ctest --output-on-failure -L threads

# libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer), each run for
# FUZZ_SECONDS on its corpus in build/fuzz/corpus, seeded from tests/corpus; findings go to
# build/fuzz/findings. `make fuzz` runs them all; `make fuzz-step` only the fast-step one.
FUZZ_SECONDS ?= 30
FUZZ_TARGETS ?= step bmp scene input_script frame draw world_file
fuzz-build: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DSQUISH_TESTS=OFF -DSQUISH_FUZZ=ON
	cmake --build $(BUILD_TYPE_DIR)/fuzz -j $(JOBS) --target $(FUZZ_TARGETS:%=%_fuzz)

fuzz: fuzz-build
	tests/fuzz/run_fuzzers.sh $(BUILD_TYPE_DIR)/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-step:
	$(MAKE) fuzz FUZZ_TARGETS=step

# squish-headless under the sanitizers for SOAK_FRAMES frames of random input and random
# settings; reports the peak resident set of a short run and of the whole run. Not run in CI.
SOAK_FRAMES ?= 1000000
soak: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/soak -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	  -DSQUISH_SANITIZE=ON -DSQUISH_TESTS=OFF
	cmake --build $(BUILD_TYPE_DIR)/soak -j $(JOBS) --target squish-headless
	python3 tools/soak.py $(BUILD_TYPE_DIR)/soak/headless/squish-headless $(SOAK_FRAMES)

bench: deps
	cmake -S . -B $(BUILD_TYPE_DIR)/bench -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF -DSQUISH_BENCH=ON
	cmake --build $(BUILD_TYPE_DIR)/bench -j $(JOBS)
	for b in $(BUILD_TYPE_DIR)/bench/bench/*_bench; do $$b || exit 1; done

# The README's animation: the default scene falling at the natural pace of 500 steps a second,
# recorded every 10 steps and each picture shown for 2 hundredths of a second.
docs-media: release
	$(BUILD_TYPE_DIR)/release/headless/squish-headless --frames 2000 --record-every 10 \
	  --record $(BUILD_TYPE_DIR)/falling.gif
	convert $(BUILD_TYPE_DIR)/falling.gif -set delay 2 docs/falling.gif

format:
	find app headless sim scene panel widgets display files pictures tests bench tools -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_TYPE_DIR)
