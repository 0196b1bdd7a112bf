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
	@cd $(BUILD_DIR)-sanitize && LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan-suppressions.txt \
	  ctest --output-on-failure --parallel $(JOBS)

# A short run of each fuzz target (clang's libFuzzer) from its checked-in corpus, FUZZ_SECONDS
# shared among them; new inputs each finds stay in the build folder, and a crash fails the run
# and leaves its input beside them.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = tests/job/fuzz_job_reader:tests/job/corpus \
  tests/store/fuzz_dcl_explode:tests/store/dcl_corpus \
  tests/shell/fuzz_preferences_file:tests/shell/preferences_corpus \
  tests/screen/fuzz_picture_file:tests/screen/picture_corpus \
  $(foreach t,dxf exploder hpgl nc temp_items layer_table,tests/import/fuzz_import_$(t):tests/import/corpus/$(t)) \
  tests/text/fuzz_font_reader:tests/text/corpus/reader \
  tests/text/fuzz_font_compiler:tests/text/corpus/compiler \
  tests/nc/fuzz_protocol_file:tests/nc/protocol_corpus \
  tests/nc/fuzz_man_read_table:tests/nc/man_read_corpus \
  tests/print/fuzz_stairs_file:tests/print/stairs_corpus \
  $(foreach k,tif pcx tga bmp jpg png,tests/platform/fuzz_image_$(k):tests/platform/image_corpus/$(k))
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD_DIR)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBRENVIK_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
	@cmake --build $(BUILD_DIR)-fuzz --parallel $(JOBS) --target \
	  $(foreach t,$(FUZZ_TARGETS),$(notdir $(firstword $(subst :, ,$(t)))))
	@share=$$(( $(FUZZ_SECONDS) / $(words $(FUZZ_TARGETS)) )); [ $$share -ge 1 ] || share=1; \
	for entry in $(FUZZ_TARGETS); do \
	  target=$${entry%%:*}; corpus=$${entry#*:}; name=$$(basename $$target); \
	  mkdir -p $(BUILD_DIR)-fuzz/$$name-corpus; \
	  $(BUILD_DIR)-fuzz/$$target -max_total_time=$$share -max_len=8192 -timeout=10 \
	    -print_final_stats=1 -artifact_prefix=$(BUILD_DIR)-fuzz/$$name- \
	    $(BUILD_DIR)-fuzz/$$name-corpus $$corpus >$(BUILD_DIR)-fuzz/$$name.log 2>&1 \
	    || { tail -n 40 $(BUILD_DIR)-fuzz/$$name.log; exit 1; }; \
	  echo "$$name: $$(grep -E '^stat::number_of_executed_units' $(BUILD_DIR)-fuzz/$$name.log)"; \
	done

clean:
	@rm -rf $(BUILD_DIR) $(BUILD_DIR)-sanitize $(BUILD_DIR)-fuzz
