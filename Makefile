# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-sanitize fuzz clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	@$(BUILD_DIR)/brenvik/brenvik

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (CI runs it too).
test-sanitize: deps
	@cmake -S . -B $(BUILD_DIR)-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRENVIK_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_DIR)-sanitize --parallel $(JOBS)
	@cd $(BUILD_DIR)-sanitize && ctest --output-on-failure --parallel $(JOBS)

# A short run of each fuzz target (clang's libFuzzer) from its checked-in corpus; new inputs it
# finds stay in the build folder, and a crash fails the run and leaves its input beside them.
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD_DIR)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBRENVIK_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
	@cmake --build $(BUILD_DIR)-fuzz --target fuzz_job_reader --parallel $(JOBS)
	@mkdir -p $(BUILD_DIR)-fuzz/job-corpus
	@$(BUILD_DIR)-fuzz/tests/job/fuzz_job_reader -max_total_time=$(FUZZ_SECONDS) -max_len=8192 \
	  -timeout=10 -print_final_stats=1 -artifact_prefix=$(BUILD_DIR)-fuzz/ \
	  $(BUILD_DIR)-fuzz/job-corpus tests/job/corpus >$(BUILD_DIR)-fuzz/fuzz.log 2>&1 \
	  || (tail -n 40 $(BUILD_DIR)-fuzz/fuzz.log; exit 1)
	@grep -E '^(Done|stat::number_of_executed_units)' $(BUILD_DIR)-fuzz/fuzz.log || true

clean:
	@rm -rf $(BUILD_DIR) $(BUILD_DIR)-sanitize $(BUILD_DIR)-fuzz
