# Front door of the build. `make run` and `make test` are all a newcomer needs.
.PHONY: all bootstrap build run test windows bench fuzz asan format clean

JOBS ?= $(shell nproc)
NATIVE := build/native

all: build

bootstrap:
	@scripts/bootstrap

$(NATIVE)/build.ninja:
	@cmake --preset native >/dev/null

build: bootstrap $(NATIVE)/build.ninja
	@cmake --build --preset native -j $(JOBS)

run: build
	@scripts/run-player $(NATIVE)

windows: bootstrap
	@cmake --preset mingw-i686 >/dev/null
	@cmake --build --preset mingw-i686 -j $(JOBS)
	@cmake --preset mingw-x86_64 >/dev/null
	@cmake --build --preset mingw-x86_64 -j $(JOBS)

# Every test: unit and in-memory shell tests, real windows under Xvfb, the
# sanitizer build, and the Windows builds' tests under Wine.
test: bootstrap windows
	@cmake --preset native -DZORBE_WINE_TESTS=ON >/dev/null
	@cmake --build --preset native -j $(JOBS)
	@ctest --test-dir $(NATIVE) -j $(JOBS) --output-on-failure

asan: bootstrap
	@cmake --preset native-asan >/dev/null
	@cmake --build --preset native-asan -j $(JOBS)
	@ctest --test-dir build/asan -j $(JOBS) --output-on-failure

bench: build
	@cmake --build --preset native --target zorbe-bench -j $(JOBS)
	@scripts/bench $(NATIVE)

fuzz: bootstrap
	@echo "fuzz: nothing yet"

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
