# The two commands of the README, and a few more. Each one installs what is
# missing first, so a fresh Debian 12 machine needs nothing else.
BUILD := build
JOBS := $(shell nproc)

.PHONY: all deps configure build run test check bench bench-window package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/brivello

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Everything `test` runs, then the whole suite again under AddressSanitizer
# with UndefinedBehaviorSanitizer, and the threaded tests (the page handshake,
# the window, the program in its window) under ThreadSanitizer.
check: test
	@cmake --preset asan > /dev/null
	@cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	@cmake --preset tsan > /dev/null
	@cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

# Timings (medians of repeated runs) and peak memory; nothing here is a test.
bench: build
	./$(BUILD)/bench/brivello_bench
	@echo
	@/usr/bin/time -f "peak resident memory of brivello-frame --seed 1 --draws 15000 --every-frame: %M KiB" \
		./$(BUILD)/brivello-frame --seed 1 --draws 15000 --every-frame

# The program's draw rate with a window (in Xvfb) against the same passes
# without one, and the window thread's processor time.
bench-window: build
	./$(BUILD)/bench/brivello_window_rate

# A Debian package of the release build, in build/.
package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) build-asan build-tsan build-debug
