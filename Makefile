# Quorvel: `make run` builds and starts the tray application; `make test` builds and runs every suite.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
# Seconds per fuzz target, and how many targets run at once.
FUZZ_SECONDS ?= 600
FUZZ_PARALLEL ?= 4
WERROR ?= OFF
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test sanitize fuzz-build fuzz clean

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

# The libFuzzer targets of Tests/Fuzz (clang, AddressSanitizer and UBSan), each run for FUZZ_SECONDS.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DQUORVEL_FUZZ=ON -DQUORVEL_TESTS=OFF -DQUORVEL_BENCHMARKS=OFF -DQUORVEL_APP=OFF \
		-DQUORVEL_WERROR=$(WERROR) $(CMAKE_FLAGS)
	ninja -C $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	Tests/Fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_PARALLEL)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
