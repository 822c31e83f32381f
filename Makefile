# The two everyday commands: `make run` starts the program, `make test` builds and runs the tests.
# Both install the Debian packages they need when they are missing.
# `make test CXX=clang++ BUILD=build-clang` builds and tests with clang instead of GCC.
# `make fuzz` runs every fuzz target for FUZZ_SECONDS each; `make fuzz-smoke` a few seconds each.

BUILD ?= build
SANITIZE ?= 0
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

PACKAGES := cmake g++ clang make pkg-config zlib1g-dev libzip-dev libstb-dev libgtest-dev \
            libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev qt6-base-dev \
            libgl1-mesa-dev srecord imagemagick unzip zip xvfb xauth
FUZZ_PACKAGES := clang-14 libfuzzer-14-dev
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# With FUZZ_RUNS set, a target also stops after that many executions.
FUZZ_RUNS ?=
FUZZ_SMOKE_SECONDS ?= 3

ifeq ($(SANITIZE),1)
BUILD := build-sanitize
CMAKE_FLAGS := -DTOVALLO_SANITIZE=ON -DTOVALLO_GUI=OFF -DCMAKE_BUILD_TYPE=Debug
else
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif
ifneq ($(origin CXX),default)
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER=$(CXX)
endif

# The tests treat warnings as errors; a plain build (make run, a packager's cmake) does not.
test: CMAKE_FLAGS += -DTOVALLO_WERROR=ON

.PHONY: deps configure build test run bench screenshot fuzz-build fuzz fuzz-smoke clean

deps:
	@sh tools/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -x $(BUILD)/ui/tovallo ]; then $(BUILD)/ui/tovallo; else $(BUILD)/tovallo-cli --help; fi

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done

# The main window on a fixture firmware under a virtual X server, saved as docs/screenshot.png.
screenshot: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tovallo-screenshot
	@mkdir -p docs
	@xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/tests/ui/tovallo-screenshot docs/screenshot.png

# The fuzz targets with libFuzzer, ASan and UBSan (clang 14); no window, tests or benchmarks.
fuzz-build:
	@sh tools/install-deps.sh $(PACKAGES) $(FUZZ_PACKAGES)
	@cmake -S . -B $(FUZZ_BUILD) -DTOVALLO_FUZZ=ON -DTOVALLO_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-targets

fuzz: fuzz-build
	@FUZZ_RUNS=$(FUZZ_RUNS) sh fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@FUZZ_SEED=1 sh fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

clean:
	@rm -rf build build-sanitize build-clang build-fuzz
