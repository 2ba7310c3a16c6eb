# Thin wrapper over CMake. `make run` opens the browser on the demo home page,
# `make test` builds and runs every test; both install what is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps build run test unit-tests fuzz bench sanitize clean

all: build

deps:
	@sh tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(BUILD) -j $(JOBS)

run: build
	@sh tools/run-demo.sh $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz

# Short, bounded libFuzzer runs under AddressSanitizer and UBSan.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DNUVA_FUZZ=ON >/dev/null
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_renderer fuzz_fields
	@sh fuzz/run.sh $(BUILD)-fuzz

# The unit tests once more under AddressSanitizer and UBSan.
sanitize: deps
	@cmake -S . -B $(BUILD)-asan -DNUVA_SANITIZE=ON -DNUVA_WERROR=ON >/dev/null
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(BUILD)-asan -j $(JOBS) --target unit_tests
	@cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS) -LE programs

bench: build
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@sh bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-fuzz $(BUILD)-asan
