# Entry points for users and CI. Every target installs what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test bench demo clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/tessel_bench_*; do echo "== $$b"; "$$b" || exit 1; done

# Writes a generated archive and scenarios into demo/ and renders them.
demo: build
	@$(BUILD_DIR)/cli/tessel-cli demo demo
	@$(BUILD_DIR)/cli/tessel-cli render --no-settings -a demo/MAINDAT.WAR -o demo/minimaps demo/scenarios
	@echo "Minimaps written to $(CURDIR)/demo/minimaps"

clean:
	rm -rf $(BUILD_DIR)
