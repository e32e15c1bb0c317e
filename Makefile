# The two commands of the README, and a few more. Each one installs what is
# missing first, so a fresh Debian 12 machine needs nothing else.
BUILD := build
JOBS := $(shell nproc)

.PHONY: all deps configure build run test bench clean

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

bench: build
	./$(BUILD)/bench/brivello_bench

clean:
	rm -rf $(BUILD)
