# Two commands do all set-up on a fresh Debian 12 machine:
#   make run   - install what is missing, build, start the program
#   make test  - install what is missing, build, run every test
# and two to put the program on a machine:
#   make install PREFIX=~/.local   - optimised build, installed below PREFIX (default /usr/local)
#   make package                   - the same as a Debian package, build-dist/zutomelark_*.deb
JOBS ?= $(shell nproc)
BUILD ?= build
PREFIX ?= /usr/local
DIST = build-dist

.PHONY: run test build deps asan fuzz bench dist install package clean

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

# libFuzzer runs of every file reader, FUZZ_SECONDS each (20 unless given:
# `make fuzz FUZZ_SECONDS=3600` is a long campaign; the corpus in build-fuzz
# grows from run to run).
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers build-fuzz $${FUZZ_SECONDS:-20}

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build build-release -j $(JOBS)

# Only the two programs are built for installing; no tests, no benchmarks.
dist: deps
	@cmake -S . -B $(DIST) -DCMAKE_BUILD_TYPE=Release -DZT_BENCH=OFF \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
	@cmake --build $(DIST) -j $(JOBS) --target zutomelark zutomelark-cli

install: dist
	@DESTDIR="$(DESTDIR)" cmake --install $(DIST) --prefix "$(PREFIX)"

package: dist
	@scripts/check-package $(DIST)

# A Data folder in a build folder (left by an older version that kept it beside
# the program) holds the user's stocks: never deleted here.
BUILD_DIRS = build build-asan build-fuzz build-release $(DIST)
clean:
	@for d in $(BUILD_DIRS); do \
	  if [ -d $$d/Data ]; then \
	    echo "$$d/Data にストックがあります。先に移してください / $$d/Data holds stocks; move it first:" >&2; \
	    echo "  mkdir -p ~/.local/share/zutomelark && mv $$d/Data ~/.local/share/zutomelark/" >&2; \
	    exit 1; \
	  fi; \
	done
	rm -rf $(BUILD_DIRS)
