# The two commands of the README. Everything else is a helper for them.
BUILD      ?= build
ASAN_BUILD ?= build-asan
WEB_BUILD  ?= build-web
JOBS       ?= $(shell nproc)

.PHONY: run test bootstrap build build-asan web clean package

# Starts Velmora from build/, where bin/ is. Without a display it runs 300 passes on a
# private Xvfb screen and leaves a screenshot.
run: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
	  cd $(BUILD) && ./velmora; \
	else \
	  echo "run: no display, so Velmora runs under Xvfb for 300 passes"; \
	  cd $(BUILD) && $(CURDIR)/scripts/with-display ./velmora --frames 300 --screenshot velmora.png && \
	  echo "run: screenshot at $(abspath $(BUILD))/velmora.png"; \
	fi

test: build build-asan web
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS) -LE display
	# Display tests drive Mesa, SDL and Xvfb, whose own unfreed allocations the leak checker
	# would report; address and undefined-behaviour checks stay on.
	ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS) -L display
	# Desktop sessions under a window manager, recorded with one build and replayed with the other.
	scripts/with-display tests/e2e/desktop-sessions $(BUILD) $(ASAN_BUILD)
	# The simulation core built for WebAssembly steps to the same bits as the native build.
	tests/web/core-matches-native $(BUILD) $(WEB_BUILD)
	# The page's key, mouse and wheel mapping and its address's options: the same tests, under node.
	node --no-experimental-fetch $(WEB_BUILD)/velmora_page_tests.js
	# The page in headless Chromium: a native recording replayed to the same state, the first
	# frame against the native one, hostile addresses, size and start-up.
	tests/web/browser-check $(BUILD) $(WEB_BUILD)

bootstrap:
	@scripts/bootstrap

build: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

build-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)

# The web page (velmora.html, .js, .wasm, .data in $(WEB_BUILD)/) and the simulation core's
# check, with Debian's emscripten. The pictures come from the native build's tool; Dear
# ImGui's sources from Debian's source package (scripts/fetch-imgui-source). Debian's
# emscripten looks for its JavaScript tools (acorn) in Debian's node module folder, which a
# node from elsewhere does not search. Serve it with: python3 -m http.server -d $(WEB_BUILD)
web: build
	scripts/fetch-imgui-source $(WEB_BUILD)
	NODE_PATH=/usr/share/nodejs emcmake cmake -S web -B $(WEB_BUILD) \
	  -DVELMORA_PICTURES=$(abspath $(BUILD))/bin -DVELMORA_IMGUI_SOURCE=$(abspath $(WEB_BUILD))/imgui-src >/dev/null
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j$(JOBS)
	@echo "web: the page is $(abspath $(WEB_BUILD))/velmora.html"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WEB_BUILD)

# A Debian package of the program, its data, desktop entry and icon: $(BUILD)/velmora_*.deb,
# for `sudo apt install ./velmora_*.deb`.
package: build
	cd $(BUILD) && cpack
	@ls $(BUILD)/velmora_*.deb

# Fuzzes the picture readers, the scene file reader and the effect file parser with clang's
# libFuzzer, each for FUZZ_SECONDS on a copy of its seed corpus; findings land in
# $(FUZZ_BUILD)/ as crash-* files. Not part of `make test`.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := images:tests/render/corpus scenes:tests/scenes/corpus effects:tests/platform/corpus \
                sessions:tests/session/corpus
.PHONY: fuzz
fuzz:
	@command -v clang++ >/dev/null || { echo "fuzz: clang++ with libFuzzer is needed" >&2; exit 1; }
	cmake -S tests/fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	@set -e; for entry in $(FUZZ_TARGETS); do \
	  name=$${entry%%:*}; seeds=$${entry#*:}; \
	  rm -rf $(FUZZ_BUILD)/corpus-$$name && mkdir -p $(FUZZ_BUILD)/corpus-$$name; \
	  cp $$seeds/* $(FUZZ_BUILD)/corpus-$$name/; \
	  echo "fuzz: $$name for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/velmora_fuzz_$$name -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ_BUILD)/$$name- $(FUZZ_BUILD)/corpus-$$name; \
	done
