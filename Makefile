# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD    ?= build
PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-base-private-dev libgtest-dev ffmpeg mediainfo fonts-wine \
            dbus-daemon desktop-file-utils appstream procps
# The installed-copy tests build the package too (dpkg-shlibdeps, file).
PACKAGES += dpkg-dev file libfontconfig-dev
# A package or a plain install builds without the tests and their libraries.
RELEASE_PACKAGES := g++ cmake ninja-build qt6-base-dev ffmpeg mediainfo fonts-wine libfontconfig-dev
PACKAGE_PACKAGES := $(RELEASE_PACKAGES) dpkg-dev file lintian
RELEASE  ?= build-release
PREFIX   ?= /usr/local
SUDO     := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build configure deps install clean

run: build
	$(BUILD)/bin/vantrel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

build: configure
	cmake --build $(BUILD)

configure: deps
	@[ -f $(BUILD)/build.ninja ] && grep -qs '^BUILD_TESTING:BOOL=ON' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -G Ninja -DBUILD_TESTING=ON

deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

install: release
	cmake --install $(RELEASE) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)

.PHONY: release package release-deps package-deps

# Built as Debian builds its packages: hardened, and with the build folder's
# path mapped away so two builds of one source give the same files.
release: release-deps
	@if [ ! -f $(RELEASE)/build.ninja ]; then \
	  export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	  CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  cmake -S . -B $(RELEASE) -G Ninja -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr; \
	fi
	cmake --build $(RELEASE)

# vantrel_<version>_<arch>.deb in this folder, checked with lintian.
package: package-deps release
	rm -rf $(RELEASE)/package
	cd $(RELEASE) && cpack -G DEB -B $(CURDIR)/$(RELEASE)/package
	cp $(RELEASE)/package/vantrel_*.deb .
	lintian --fail-on error $$(ls $(RELEASE)/package/vantrel_*.deb | sed 's|.*/||')

release-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(RELEASE_PACKAGES) dpkg-dev"

package-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_PACKAGES)"
