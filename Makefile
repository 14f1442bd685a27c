# Fringel: `make run` sets up, builds and starts the program; `make test` sets up, builds and
# runs every test. Both install the Debian packages they need first (scripts/install-deps.sh).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test sanitize demo fuzz bench format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/app/fringel

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) --no-print-directory test BUILD_DIR=build-sanitize BUILD_TYPE=Debug \
		CMAKE_FLAGS="-DFRINGEL_SANITIZE=ON"

# The whole analysis without a window on the bundled sample series.
demo: build
	@scripts/demo.sh

# The fuzz targets under libFuzzer (needs clang), FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# Kernel benchmarks, built in Release.
bench:
	@scripts/install-deps.sh --bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DFRINGEL_BUILD_BENCH=ON \
		-DFRINGEL_BUILD_TESTS=OFF -DFRINGEL_BUILD_GUI=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS) --target fringel_bench
	@build-bench/bench/fringel_bench --benchmark_min_time=0.5

format:
	@find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize build-bench build-fuzz
