# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD    ?= build
PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-base-private-dev libgtest-dev ffmpeg mediainfo fonts-wine \
            dbus-daemon desktop-file-utils appstream procps
# Other filesystems for the output tests: a FUSE folder, and a FAT image through FUSE.
PACKAGES += bindfs fusefat dosfstools
# The installed-copy tests build the package too (dpkg-shlibdeps, file).
PACKAGES += dpkg-dev file libfontconfig-dev clang-format git
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

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer
# in a folder of its own. An error they find, in a test or in any of our programs
# a test starts, ends that process with code 1; AddressSanitizer's reports are
# also kept in files, so one from a process whose end no test reads still fails.
SANITIZE_BUILD   ?= build-sanitize
SANITIZE_FLAGS   := -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
SANITIZE_REPORTS  = $(abspath $(SANITIZE_BUILD))/sanitizer-reports
.PHONY: check-sanitize
check-sanitize: deps
	@[ -f $(SANITIZE_BUILD)/build.ninja ] || cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DBUILD_TESTING=ON -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE_BUILD)
	@rm -rf $(SANITIZE_REPORTS) && mkdir -m 1777 $(SANITIZE_REPORTS)
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:log_path=$(SANITIZE_REPORTS)/report \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure --no-tests=error -j2; status=$$?; \
	  if [ -n "$$(ls -A $(SANITIZE_REPORTS))" ]; then cat $(SANITIZE_REPORTS)/*; exit 1; fi; exit $$status

install: release
	cmake --install $(RELEASE) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(RELEASE) $(SANITIZE_BUILD)

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
