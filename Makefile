# The two ways in: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc)

.PHONY: deps build run test bench clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	bash scripts/run.sh $(BUILD)/bin/vantrel

test: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	bash scripts/run-tests.sh $(TEST_BUILD)

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	bash scripts/run-bench.sh build-bench

clean:
	rm -rf $(BUILD) $(TEST_BUILD) build-bench
