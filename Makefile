# 件踪宝: the two set-up commands are `make run` and `make test`.
# make run builds the program alone; make test adds the tests, the service
# stand-ins and the benchmarks (BUILD_TESTING).
PREFIX ?= $(HOME)/.local/lib/jianzongbao
DEMO_DIR ?= $(CURDIR)/build-demo/program
JOBS ?= $(shell nproc)
START_RUNS ?= 20

.PHONY: build run demo deb uninstall test bench readme-shots clean format format-check

build:
	@bash scripts/setup.sh run
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
	cmake --build build -j $(JOBS)

# Installs the program folder outside the build tree with its menu entry, then
# starts the program, which asks the tracking service itself. The parcel book
# lives in the user's data folder, where no rebuild or deleted checkout reaches.
run: build
	bash scripts/install.sh build "$(PREFIX)"
	bash scripts/launch.sh "$(PREFIX)"

# A program folder of its own whose parcels the program simulates (demo mode).
demo: build
	bash scripts/install.sh build "$(DEMO_DIR)" --demo
	bash scripts/launch.sh "$(DEMO_DIR)" --demo

# The Debian package jianzongbao_VERSION_ARCH.deb, in this folder, once
# lintian finds no error or warning in it.
deb:
	@bash scripts/setup.sh deb
	cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build-deb -j $(JOBS)
	rm -f build-deb/jianzongbao_*.deb
	cd build-deb && cpack -G DEB
	bash scripts/lint-deb.sh build-deb/jianzongbao_*.deb
	cp build-deb/jianzongbao_*.deb .

# Removes what make run installed; the user's book and settings stay.
uninstall:
	bash scripts/uninstall.sh "$(PREFIX)"

test:
	@bash scripts/setup.sh test
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DJZB_SANITIZE=ON -DBUILD_TESTING=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j 2

bench:
	@bash scripts/setup.sh test
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
	cmake --build build-bench -j $(JOBS)
	build-bench/bench/bench_parse
	build-bench/bench/bench_query
	build-bench/bench/bench_book
	build-bench/bench/bench_watch
	xvfb-run -a -s "-screen 0 1024x768x24" build-bench/bench/bench_start build-bench $(START_RUNS)
	ctest --test-dir build-bench -L package --output-on-failure

# The README's pictures in docs/, taken from today's program under Xvfb.
readme-shots:
	@bash scripts/setup.sh test
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DJZB_SANITIZE=ON -DBUILD_TESTING=ON
	cmake --build build-test -j $(JOBS) --target readme_shots
	# The X and D-Bus libraries keep a few bytes to the end: no leak of ours.
	ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" build-test/bench/readme_shots docs

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails on any C++ file that clang-format would change (run by CI).
format-check:
	@bash scripts/setup.sh test
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-test build-bench build-demo build-deb
