# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# With ccache (install-deps installs it), sources built before in any clone
# of the repository come from its cache: paths are taken relative to the clone.
ifneq ($(shell command -v ccache 2>/dev/null),)
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
endif

.PHONY: run test package bench fuzz format format-check deps configure build clean test-sanitize sanitize-deps sanitize-configure

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/Vexorin

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package, build/vexorin_VERSION_ARCH.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; "$$b"; done
	@echo "== the board in a real window"; ./bench/board_window.sh $(BUILD)
	@echo "== a million alarms in the real program"; ./bench/alarm_idle.sh $(BUILD)

# One clang build with ASan, UBSan and libFuzzer's instrumentation holds the
# test programs and the fuzz targets; any sanitizer report fails the run. With
# assertions on; -O1 and line tables only build faster and still give every
# report its source lines.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS = -DCMAKE_CXX_COMPILER=clang++ -DVEXORIN_SANITIZE=ON -DVEXORIN_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only"

sanitize-deps:
	@./scripts/install-deps.sh --sanitizers

sanitize-configure: sanitize-deps
	@cmake -S . -B $(SANITIZE_BUILD) $(CMAKE_FLAGS) $(SANITIZE_FLAGS) >/dev/null

test-sanitize: sanitize-configure
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each fuzz target runs FUZZ_SECONDS from its seeds, a unit at most
# FUZZ_UNIT_SECONDS; every target runs even after one fails.
FUZZ_SECONDS ?= 60
FUZZ_UNIT_SECONDS ?= 5
fuzz: sanitize-configure
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target fuzzers
	@./scripts/fuzz.sh $(SANITIZE_BUILD) $(FUZZ_SECONDS) $(FUZZ_UNIT_SECONDS)

# Every C++ file as .clang-format describes the code; format-check changes
# nothing and fails on the first file that differs.
FORMAT_FILES = git ls-files '*.cpp' '*.h'
format-check: deps
	@$(FORMAT_FILES) | xargs clang-format --dry-run -Werror
format: deps
	@$(FORMAT_FILES) | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
