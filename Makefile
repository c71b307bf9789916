# The two commands of the README, and the ones developers use beside them.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test demo bench fuzz format clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) $(EXTRA_CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: EXTRA_CMAKE_FLAGS = -DVESPIRA_WERROR=ON
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

demo: build
	@bash scripts/demo.sh $(BUILD)

bench: CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=Release
bench: BUILD = build-release
bench: build
	@bash scripts/bench.sh $(BUILD)

fuzz: deps
	@bash scripts/fuzz.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-release fuzz-build demo-output
