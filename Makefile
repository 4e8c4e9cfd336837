# The two commands a newcomer needs: `make run` and `make test`.
# Both install the Debian packages that are missing, configure and build first.

PRESET ?= default
BUILD_DIR := build
PACKAGES := $(shell grep -v '^\#' tools/debian-packages.txt)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test test-sanitize bench bench-window fuzz format clean install

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing missing packages:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

run: build
	./$(BUILD_DIR)/src/ortolan

install: build
	$(SUDO) cmake --install $(BUILD_DIR)

test: build
	ctest --preset $(PRESET)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/.
test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

bench: build
	./$(BUILD_DIR)/bench/ortolan-bench

# The main window on huge lists, offscreen.
bench-window: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD_DIR)/bench/ortolan-window-bench

# Each fuzz target for FUZZ_SECONDS (clang's libFuzzer, in build-fuzz/).
FUZZ_SECONDS ?= 60
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $$(grep -v '^#' tools/debian-packages-fuzz.txt)"
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/fuzz.sh

format: configure
	cmake --build --preset $(PRESET) --target format

clean:
	rm -rf $(BUILD_DIR) build-debug build-sanitize build-fuzz
