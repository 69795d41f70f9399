# Entry points for users and CI. Every target installs what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SANITIZE_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
PACKAGE_DIR ?= build-package
WINDOWS_DIR ?= build-windows

.PHONY: all deps configure build test test-sanitized test-windows windows fuzz bench demo run package web clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The normal suite first, then the core and the command-line renderer again
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows
# build under wine.
test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitized
	@$(MAKE) --no-print-directory test-windows

test-sanitized: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_SANITIZE=address,undefined \
	  -DTESSEL_BUILD_GUI=OFF -DTESSEL_BUILD_BENCH=OFF -DTESSEL_BUILD_WEB=OFF >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

# The Windows programs, cross-built with MinGW-w64 into $(WINDOWS_DIR):
# tessel-cli.exe, the thumbnail handler tessel-thumbnails.dll and the
# installer tessel-VERSION-setup.exe (NSIS). The built-in tileset's tables
# come from the native build's generator where there is one, else from the
# Windows one under wine.
windows: deps
	@cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/WindowsToolchain.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DTESSEL_LINUX_BUILD_DIR=$(CURDIR)/$(BUILD_DIR) -DTESSEL_BUILD_WEB=OFF \
	  -DTESSEL_HOST_TILESET_GENERATOR=$(wildcard $(CURDIR)/$(BUILD_DIR)/core/tileset/tessel_generate_tileset) >/dev/null
	@cmake --build $(WINDOWS_DIR) -j $(JOBS)
	@echo "Windows programs: $(WINDOWS_DIR)/cli/tessel-cli.exe $(WINDOWS_DIR)/explorer/tessel-thumbnails.dll" \
	  "$$(ls $(WINDOWS_DIR)/tessel-*-setup.exe)"

# The Windows build's tests under wine, in a wine prefix made afresh for the
# run and shared by its tests; compared with the Linux build in $(BUILD_DIR).
test-windows: build windows
	@rm -rf $(WINDOWS_DIR)/wine $(WINDOWS_DIR)/wine.lock
	@cd $(WINDOWS_DIR) && ctest --output-on-failure -j $(JOBS)

# libFuzzer targets built with clang, each run for FUZZ_SECONDS; any finding fails.
fuzz: deps
	@BUILD_DIR=$(FUZZ_DIR) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/fuzz.sh

bench: build
	@for b in $(BUILD_DIR)/bench/tessel_bench_*; do echo "== $$b"; "$$b" || exit 1; done

# Writes a generated archive and scenarios into demo/ and renders them.
demo: build
	@$(BUILD_DIR)/cli/tessel-cli demo demo
	@$(BUILD_DIR)/cli/tessel-cli render --no-settings -a demo/MAINDAT.WAR -o demo/minimaps demo/scenarios
	@echo "Minimaps written to $(CURDIR)/demo/minimaps"

# A Debian package of the release build, with Debian's compiler flags
# (optimisation included, so the release build adds only -DNDEBUG), written
# here as tessel_<version>_<architecture>.deb:
#   sudo apt install ./tessel_*.deb
package: deps
	@cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF -DTESSEL_BUILD_WEB=OFF \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" >/dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS)
	@rm -f $(PACKAGE_DIR)/tessel_*.deb
	@cd $(PACKAGE_DIR) && cpack -G DEB >/dev/null
	@cp $(PACKAGE_DIR)/tessel_*.deb .
	@echo "Package: $$(cd $(PACKAGE_DIR) && ls tessel_*.deb)"

# The web page, built with emscripten into web/dist/: open web/dist/index.html
# from disk, or put the folder on any static host.
web: configure
	@cmake --build $(BUILD_DIR) --target tessel_web_page -j $(JOBS)
	@rm -rf web/dist
	@cp -r $(BUILD_DIR)/web/dist web/dist
	@echo "Web page written to $(CURDIR)/web/dist/index.html"

# Builds and starts the desktop program.
run: build
	@$(BUILD_DIR)/app/tessel

clean:
	rm -rf $(BUILD_DIR)
