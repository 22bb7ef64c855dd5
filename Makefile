# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test demo bench soak clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G "Unix Makefiles" >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-tool.sh $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitized fuzz FUZZ_SECONDS=10

demo: build
	@bash scripts/demo.sh $(BUILD_DIR)

bench: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	@bash bench/run.sh $(BUILD_DIR)

# The real tool for SOAK_CYCLES cycles; fails when its memory keeps growing.
SOAK_CYCLES ?= 30
soak: build
	@bash scripts/soak.sh $(BUILD_DIR) $(SOAK_CYCLES)

# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# libFuzzer targets (Clang), each in a build folder of its own.
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: test-sanitized fuzz-build fuzz

test-sanitized: deps
	@cmake -S . -B $(SANITIZE_DIR) -G "Unix Makefiles" -DQUORVIN_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS) --target unit_tests
	@UBSAN_OPTIONS=print_stacktrace=1 $(SANITIZE_DIR)/bin/unit_tests --gtest_brief=1

fuzz-build: deps
	@cmake -S . -B $(FUZZ_DIR) -G "Unix Makefiles" -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DQUORVIN_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

# Each target for FUZZ_SECONDS, from a copy of its seed corpus in fuzz/corpus/.
fuzz: fuzz-build
	@rm -f $(FUZZ_DIR)/fuzz-runs/*/summary
	@cd $(FUZZ_DIR) && FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --output-on-failure -j $(JOBS) \
	  --timeout $$(( $(FUZZ_SECONDS) + 300 ))
	@cat $(FUZZ_DIR)/fuzz-runs/*/summary

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
