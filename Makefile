# Two commands do all set-up on a fresh Debian 12 machine:
#   make run   - install what is missing, build, start the program
#   make test  - install what is missing, build, run every test
JOBS ?= $(shell nproc)
BUILD ?= build

.PHONY: run test build deps asan fuzz bench clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset dev -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-app $(BUILD)/zutomelark

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Core tests once more under AddressSanitizer and UBSan.
asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

# Short libFuzzer runs of every file reader.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@scripts/run-fuzzers build-fuzz $${FUZZ_SECONDS:-20}

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build build-release -j $(JOBS)

clean:
	rm -rf build build-asan build-fuzz build-release
