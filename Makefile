# 件踪宝: the two set-up commands are `make run` and `make test`.
PREFIX ?= $(HOME)/.local/lib/jianzongbao
DEMO_DIR ?= $(CURDIR)/build-demo/program
JOBS ?= $(shell nproc)
START_RUNS ?= 20

.PHONY: setup build run demo test bench clean format

setup:
	@bash scripts/setup.sh

build: setup
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

# Installs the program folder outside the build tree (the store only when absent,
# so neither a rebuild nor a deleted checkout can lose the parcel book) with its
# menu entry, then starts the program, which asks the tracking service itself.
run: build
	bash scripts/install.sh build "$(PREFIX)"
	bash scripts/launch.sh "$(PREFIX)"

# A program folder of its own whose parcels the program simulates (demo mode).
demo: build
	bash scripts/install.sh build "$(DEMO_DIR)" --demo
	bash scripts/launch.sh "$(DEMO_DIR)" --demo

test: setup
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DJZB_SANITIZE=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j 2

bench: setup
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS)
	build-bench/bench/bench_parse
	build-bench/bench/bench_query
	build-bench/bench/bench_book
	build-bench/bench/bench_watch
	xvfb-run -a -s "-screen 0 1024x768x24" build-bench/bench/bench_start build-bench $(START_RUNS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-test build-bench build-demo
