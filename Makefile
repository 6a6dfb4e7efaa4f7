# The two commands a new user needs: `make run` and `make test`.
SHELL := /bin/bash
ROOT := $(abspath .)

.PHONY: all deps build test run clean

all: build

deps:
	@scripts/install-deps.sh

# Both Windows builds: the 32-bit program is the product; the 64-bit one runs the
# end-to-end tests on hosts that cannot execute 32-bit code.
build: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows
	cmake --preset windows-x64 >/dev/null
	cmake --build --preset windows-x64
	preset=$$(source scripts/wine-env.sh && wine_build_preset) && \
	  cmake --preset native -DNOWPLAYING_E2E_BIN_DIR=$(ROOT)/build/$$preset/bin >/dev/null
	cmake --build --preset native

test: build
	ctest --preset native

run: build
	scripts/run-demo.sh

clean:
	rm -rf build

# Speed and footprint figures, as one table (not part of `make test`; see docs/performance.md).
.PHONY: bench
bench: build
	bench/run.sh
