# Entry points of the project; see README.md.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build check check-sanitize bench demo clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Installs what is missing, builds and runs every test.
check: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole test suite again with AddressSanitizer and UndefinedBehaviorSanitizer;
# any report fails the run.
check-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBANDTOOLS_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

# Builds the benchmarks (optimised, without tests) and runs them.
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DBANDTOOLS_BENCH=ON -DBANDTOOLS_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target rylpack_bench
	@$(BENCH_BUILD)/rylpack/rylpack_bench

# Builds and runs bandplus on the bundled example data.
demo: build
	@$(BUILD)/src/bandplus </dev/null

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD)
