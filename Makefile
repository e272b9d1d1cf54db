# Quorvel: `make run` builds and starts the tray application; `make test` builds and runs every suite.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
WERROR ?= OFF
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test sanitize bench clean

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: configure
	ninja -C $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/quorvel

test: build
	ctest --test-dir $(BUILD) --output-on-failure

# Core and command-line suites under AddressSanitizer and UBSan.
sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
		-DQUORVEL_BENCHMARKS=OFF -DQUORVEL_APP=OFF -DQUORVEL_WERROR=$(WERROR) $(CMAKE_FLAGS)
	ninja -C $(SANITIZE_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(SANITIZE_BUILD) --output-on-failure

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
