# The two commands of the README. Everything else is a helper for them.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: test bootstrap build build-asan clean

test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	# Display tests drive Mesa and Xvfb, whose own allocations the sanitizer would report;
	# everything that reads outside data runs here.
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS) -LE display

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

build-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
