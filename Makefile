# The two commands of the README, and the ones developers use beside them.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test check-sanitize check-layers check-format demo bench fuzz package format clean

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

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of
# its own; the first finding ends the test that met it.
check-sanitize: CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPIRA_SANITIZE=ON -DVESPIRA_BUILD_BENCH=OFF
check-sanitize: EXTRA_CMAKE_FLAGS = -DVESPIRA_WERROR=ON
check-sanitize: BUILD = build-sanitize
check-sanitize: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

# A Debian package of a Release build, checked without installing it.
package: CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=Release -DVESPIRA_BUILD_TESTS=OFF -DVESPIRA_BUILD_BENCH=OFF
package: BUILD = build-package
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@bash scripts/check-package.sh $$(ls -t $(BUILD)/vespira_*.deb | head -n 1) examples

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

# Every include points the way ARCHITECTURE.md allows, and names its folder.
check-layers:
	@bash scripts/check-layers.sh

# Every C++ file is as clang-format leaves it.
check-format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-release build-sanitize build-package fuzz-build demo-output
