# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD    ?= build
PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-base-private-dev libgtest-dev ffmpeg mediainfo fonts-wine \
            dbus-daemon desktop-file-utils appstream procps
SUDO     := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build configure deps install clean

run: build
	$(BUILD)/bin/vantrel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

build: configure
	cmake --build $(BUILD)

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja

deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD)
