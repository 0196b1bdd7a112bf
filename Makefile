# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test clean

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

clean:
	@rm -rf $(BUILD_DIR)
