# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test bench fuzz deps configure build clean

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

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; "$$b"; done
	@echo "== the board in a real window"; ./bench/board_window.sh $(BUILD)
	@echo "== a million alarms in the real program"; ./bench/alarm_idle.sh $(BUILD)

# Each fuzz target runs FUZZ_SECONDS, a unit at most FUZZ_UNIT_SECONDS (not
# part of `make test` or CI); every target runs even after one fails.
FUZZ_SECONDS ?= 60
FUZZ_UNIT_SECONDS ?= 5
fuzz: deps
	@./scripts/fuzz.sh $(FUZZ_SECONDS) $(FUZZ_UNIT_SECONDS)

clean:
	rm -rf $(BUILD) build-fuzz
