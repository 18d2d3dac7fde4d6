# Two commands do everything on a fresh Debian machine:
#   make run    install what is missing, build, start a simulated fleet and the tool
#   make test   install what is missing, build, run every test in a private network namespace
# Variants: make test SANITIZE=1 (AddressSanitizer + UBSan; SANITIZE=address
# says the same), make test SANITIZE=thread (ThreadSanitizer), make test QT=6
# (Qt 6 instead of Qt 5.15). Also: make fuzz, make bench.
# Windows: make windows (cross-built programs in build-windows/, then the
# package), make test-windows (the suite under Wine in a private namespace).

SANITIZE ?=
QT ?= 5
FUZZ_SECONDS ?= 60

ifeq ($(SANITIZE),1)
override SANITIZE := address
endif

ifeq ($(SANITIZE),address)
BUILD_DIR ?= build-asan
else ifeq ($(SANITIZE),thread)
BUILD_DIR ?= build-tsan
else ifeq ($(QT),6)
BUILD_DIR ?= build-qt6
else
BUILD_DIR ?= build
endif
CMAKE_FLAGS += -DSANITIZE=$(SANITIZE) -DQT_MAJOR=$(QT)
# The compiler cache (scripts/install-deps brings it) makes the five builds of
# CI and a fresh clone's builds quick; paths count from the clone, so clones
# share what it holds.
export CMAKE_CXX_COMPILER_LAUNCHER ?= ccache
export CCACHE_BASEDIR ?= $(CURDIR)

export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
# Qt is not built with ThreadSanitizer: the memory calls made inside its
# libraries (under locks it takes with futexes, which the sanitizer cannot
# see) are not checked; their pthread calls and all of our code are.
export TSAN_OPTIONS ?= halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1

WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_PROGRAMS = QueryTool querytool-cli dbp-terminal-sim query_translations

.PHONY: all deps build test run fuzz bench clean windows windows-configure test-windows

all: build

deps:
	@QT=$(QT) scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

test: build
	scripts/in-netns ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

run: build
	scripts/run-demo $(BUILD_DIR)

fuzz: deps
	fuzz/run-fuzz.sh $(FUZZ_SECONDS)

bench: build
	scripts/in-netns sh -c 'for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true'

# The Qt kit comes from scripts/build-qt-windows (unpacked or built once,
# cached outside the tree).
windows-configure:
	@WINDOWS=1 scripts/install-deps
	prefix=$$(scripts/build-qt-windows) && \
	cmake -S . -B $(WINDOWS_BUILD_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	    -DQT_WINDOWS_PREFIX="$$prefix" -DSANITIZE= -DQT_MAJOR=5 -DLINUX_BUILD_DIR=$(CURDIR)/build

windows: windows-configure
	cmake --build $(WINDOWS_BUILD_DIR) --target $(WINDOWS_PROGRAMS)
	if [ -x scripts/package-windows ]; then scripts/package-windows $(WINDOWS_BUILD_DIR); fi

# The Linux programs and the two-link helper come from build/ (Qt 5, no
# sanitizer). Every Wine program runs in the namespace in-netns makes; the
# prefix's wineserver ends with it.
test-windows: windows-configure
	@QT=5 scripts/install-deps
	cmake -S . -B build -G Ninja -DSANITIZE= -DQT_MAJOR=5
	cmake --build build --target querytool-cli dbp-terminal-sim two-link-run
	cmake --build $(WINDOWS_BUILD_DIR)
	scripts/in-netns sh -c 'status=0; ctest --test-dir $(WINDOWS_BUILD_DIR) --output-on-failure -j2 || status=$$?; \
	    WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD_DIR)/wine /usr/lib/wine/wineserver -k 2>/dev/null; exit $$status'

clean:
	rm -rf build build-asan build-tsan build-qt6 build-fuzz build-windows
