# Front door of the build. `make run` and `make test` are all a newcomer needs.
.PHONY: all bootstrap build run test windows bench fuzz asan format clean

JOBS ?= $(shell nproc)
NATIVE := build/native
ASAN := build/asan
# Any sanitizer report fails its test: UBSan stops at the first (the build
# says -fno-sanitize-recover), ASan at the first error, LeakSanitizer at exit.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

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

# Every test: first the unit and in-memory shell tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, then, in the native build, the same tests
# again, real windows under Xvfb and the Windows builds' tests under Wine.
test: bootstrap windows
	@cmake --preset native-asan >/dev/null
	@cmake --build --preset native-asan -j $(JOBS)
	@$(SANITIZER_ENV) ctest --test-dir $(ASAN) -j $(JOBS) --output-on-failure
	@cmake --preset native -DZORBE_WINE_TESTS=ON >/dev/null
	@cmake --build --preset native -j $(JOBS)
	@ctest --test-dir $(NATIVE) -j $(JOBS) --output-on-failure

asan: bootstrap
	@cmake --preset native-asan >/dev/null
	@cmake --build --preset native-asan -j $(JOBS)
	@$(SANITIZER_ENV) ctest --test-dir $(ASAN) -j $(JOBS) --output-on-failure

bench: build
	@cmake --build --preset native --target zorbe-bench -j $(JOBS)
	@scripts/bench $(NATIVE)

# The libFuzzer programs of fuzz/, built with clang in build/fuzz and run one
# after the other, FUZZ_SECONDS each (FUZZ_TARGETS: some of them only).
# Findings are kept in tests/fuzz-regressions/ and fail the run; see
# docs/fuzzing.md.
FUZZ_SECONDS ?= 180
FUZZ_TARGETS ?=
fuzz: bootstrap
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz build/fuzz $(FUZZ_TARGETS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
