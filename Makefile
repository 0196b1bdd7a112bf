# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-sanitize clean

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

clean:
	@rm -rf $(BUILD_DIR) $(BUILD_DIR)-sanitize
