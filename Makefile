# The two commands a new user needs: `make run` and `make test`.
SHELL := /bin/bash
ROOT := $(abspath .)

.PHONY: all deps build test run dist fuzz soak clean lint format

all: build

# Installing what is missing belongs to the first run. The stamp records that the
# script found everything; later runs only compare its time with the script's, so
# they install again only after the script asks for more (or after `make clean`).
# `make deps` always runs the script, for a machine that lost a package since.
DEPS_STAMP := build/.deps-installed

deps:
	@scripts/install-deps.sh
	@mkdir -p build && touch $(DEPS_STAMP)

$(DEPS_STAMP): scripts/install-deps.sh
	@scripts/install-deps.sh
	@mkdir -p build && touch $@

# Both Windows builds: the 32-bit program is the product; the 64-bit one runs the
# end-to-end tests on hosts that cannot execute 32-bit code.
build: $(DEPS_STAMP)
	cmake --preset windows >/dev/null
	cmake --build --preset windows
	cmake --preset windows-x64 >/dev/null
	cmake --build --preset windows-x64
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	preset=$$(source scripts/wine-env.sh && wine_build_preset) && \
	  cmake --preset native -DNOWPLAYING_E2E_BIN_DIR=$(ROOT)/build/$$preset/bin \
	    -DNOWPLAYING_SANITIZE_BIN_DIR=$(ROOT)/build/sanitize/bin \
	    -DNOWPLAYING_SETUP_BUILD_DIR=$(ROOT)/build/windows \
	    "-DNOWPLAYING_PE_CHECK_EXES=$(ROOT)/build/windows/bin/nowplaying.exe;$(ROOT)/build/windows-x64/bin/nowplaying.exe" >/dev/null
	cmake --build --preset native

test: build
	ctest --preset native

# Only the Windows build that runs here, and only the three programs of the demo.
run: $(DEPS_STAMP)
	preset=$$(source scripts/wine-env.sh && wine_build_preset) && \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset --target nowplaying standin_player standin_messenger
	scripts/run-demo.sh

# The download for Windows users, dist/nowplaying-VERSION-win32.zip and beside it
# dist/nowplaying-VERSION-setup.exe: only the 32-bit program is built for it.
dist: $(DEPS_STAMP)
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target dist

# Each fuzz target for FUZZ_SECONDS over the repository's corpus, which keeps what it finds.
FUZZ_SECONDS ?= 60
fuzz: build
	@for target in build/sanitize/bin/fuzz_*; do \
	  name=$${target##*/fuzz_}; \
	  echo "fuzz: $$name for $(FUZZ_SECONDS) s"; \
	  $$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 tests/fuzz/corpus/$$name 2>&1 \
	    | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' || exit 1; \
	done

# The program for SOAK_MINUTES under faults; prints deliveries, crashes, handles and memory.
SOAK_MINUTES ?= 10
soak: build
	preset=$$(source scripts/wine-env.sh && wine_build_preset) && \
	  scripts/wine-run.sh build/$$preset/bin/soak.exe --minutes $(SOAK_MINUTES)

clean:
	rm -rf build dist

# clang-format's style and clang-tidy's checks over the C++ code (scripts/lint.sh, also a
# test of `make test`); `make format` reformats the files instead.
lint: $(DEPS_STAMP)
	cmake --preset native >/dev/null
	cmake --preset windows >/dev/null
	scripts/lint.sh

format: $(DEPS_STAMP)
	scripts/lint.sh --fix

# Speed and footprint figures, as one table (not part of `make test`; see docs/performance.md).
.PHONY: bench
bench: build
	bench/run.sh
