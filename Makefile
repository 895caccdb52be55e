# Newcomer's entry points: `make run` and `make test` (see README.md).
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test test-release test-asan bench bench-window clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVEL_SANITIZE=ON $(CMAKE_ARGS)

configure: $(BUILD)/CMakeCache.txt

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/orvel-logger

test-release: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test: test-release test-asan

bench: build
	$(BUILD)/bench/ingest

# The real window under Xvfb, recording from a pseudo-terminal (about 4 minutes).
bench-window: build
	scripts/install-deps.sh bench
	bench/window.py $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

# Installation and the Debian package (not part of `make test`; see scripts/install-check.sh).
PREFIX ?= /usr/local

.PHONY: install install-check package package-check package-check-chroot

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

install-check: build
	scripts/install-check.sh $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB

package-check: package
	scripts/package-check.sh $(BUILD)

# Fuzzing with libFuzzer (clang; not part of `make test`): every target runs FUZZ_SECONDS from the
# committed seeds in fuzz/corpus and fails on a crash, a sanitizer report, a hang or runaway memory.
# New inputs go to $(FUZZ_BUILD)/corpus, findings to $(FUZZ_BUILD)/fuzz_<target>-crash-*.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS      := lineassembler historytext logreader registryfile

.PHONY: fuzz

$(FUZZ_BUILD)/CMakeCache.txt:
	scripts/install-deps.sh fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DORVEL_FUZZ=ON $(CMAKE_ARGS)

fuzz: $(FUZZ_BUILD)/CMakeCache.txt
	scripts/install-deps.sh fuzz
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target orvel_fuzzers
	@set -e; for f in $(FUZZERS); do \
	    mkdir -p $(FUZZ_BUILD)/corpus/$$f; \
	    echo "== fuzz_$$f for $(FUZZ_SECONDS) s"; \
	    $(FUZZ_BUILD)/fuzz/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	        -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
	        -artifact_prefix=$(FUZZ_BUILD)/fuzz_$$f- $(FUZZ_BUILD)/corpus/$$f fuzz/corpus/$$f; \
	done
	@echo "fuzz: every target ran $(FUZZ_SECONDS) s without a finding"

# Slow: a fresh Debian 12 root by debootstrap, the package installed into it (root, network).
package-check-chroot: package
	scripts/package-check-chroot.sh $(BUILD)
