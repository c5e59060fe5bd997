# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing
# (Debian packages from tools/packages.txt: `make run` those for building and playing, `make test`
# the test tools too), configure and build first.
PRESET ?= default
BUILD := build/$(PRESET)

.PHONY: all deps test-deps configure configure-tests build run test bench package screenshot golden sounds fuzz soak clean

all: build

deps:
	@tools/install-deps

test-deps:
	@tools/install-deps --tests

configure: deps
	@test -f $(BUILD)/build.ninja || cmake --preset $(PRESET)

# Configured again when the last configure found no test tools, so the tests are built now.
configure-tests: test-deps
	@test -f $(BUILD)/build.ninja && grep -q '^TARVENKO_TESTS_BUILT:INTERNAL=ON' $(BUILD)/CMakeCache.txt \
	  || cmake --preset $(PRESET)

build: configure
	@cmake --build --preset $(PRESET)

run: configure
	@cmake --build --preset $(PRESET) --target tarvenko
	$(BUILD)/bin/tarvenko

test: configure-tests
	@cmake --build --preset $(PRESET)
	ctest --preset $(PRESET) --timeout 600

bench: configure-tests
	@cmake --build --preset $(PRESET)
	bench/run $(BUILD)

# A Debian package of the game, in $(BUILD)/package/.
package: configure-tests
	@cmake --build --preset $(PRESET)
	cd $(BUILD) && cpack -B package

# Each resource parser under libFuzzer for a minute (FUZZ_SECONDS), from tests/fuzz/corpus.
FUZZ_SECONDS ?= 60
fuzz: test-deps
	@test -f build/fuzz/build.ninja || cmake --preset fuzz
	@cmake --build --preset fuzz
	@for target in EmitterFuzz:emitter SceneFuzz:scene; do \
	  mkdir -p build/fuzz/corpus/$${target#*:}; \
	  build/fuzz/bin/$${target%%:*} -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    build/fuzz/corpus/$${target#*:} tests/fuzz/corpus/$${target#*:} || exit 1; \
	done

# An hour of random play under the address and undefined-behaviour sanitizers, with the game's
# own resources (the soak refuses to run without them).
SOAK_MINUTES ?= 60
soak: test-deps
	@test -f build/asan/build.ninja && grep -q '^TARVENKO_TESTS_BUILT:INTERNAL=ON' build/asan/CMakeCache.txt \
	  || cmake --preset asan
	@cmake --build --preset asan --target random_play_tests tarvenko_resources
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 TARVENKO_SOAK_MINUTES=$(SOAK_MINUTES) build/asan/bin/random_play_tests

# README's picture of the game, drawn by the game itself.
screenshot: build
	$(BUILD)/bin/screenshot docs/screenshot.png

# The pictures that pin every builder's look (tests/golden/), drawn anew after a look changed on
# purpose: look at them before committing them.
golden: configure-tests
	@cmake --build --preset $(PRESET) --target game_tests platform_tests
	cd $(BUILD) && TARVENKO_WRITE_GOLDEN=1 bin/game_tests --gtest_filter='Golden.*' && TARVENKO_WRITE_GOLDEN=1 bin/platform_tests --gtest_filter='Golden.*'

# Writes the two sound effects into resources/ from their generator.
sounds: build
	$(BUILD)/bin/make-sounds resources

clean:
	rm -rf build
