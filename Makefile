# The two commands a newcomer needs: `make run` and `make test`. Both install what is missing
# (Debian packages from tools/packages.txt), configure and build first.
PRESET ?= default
BUILD := build/$(PRESET)

.PHONY: all deps configure build run test bench sounds clean

all: build

deps:
	@tools/install-deps

configure: deps
	@test -f $(BUILD)/build.ninja || cmake --preset $(PRESET)

build: configure
	@cmake --build --preset $(PRESET)

run: build
	$(BUILD)/bin/tarvenko

test: build
	ctest --preset $(PRESET) --timeout 600

bench: build
	bench/run $(BUILD)

# Writes the two sound effects into resources/ from their generator.
sounds: build
	$(BUILD)/bin/make-sounds resources

clean:
	rm -rf build
