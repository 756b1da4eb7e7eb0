# The two commands: `make run` and `make test`. Both install what is missing first;
# `make run` only what the window needs, `make test` the suite and its tools too.
BUILD    ?= build
PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-base-private-dev qt6-l10n-tools libgtest-dev ffmpeg mediainfo \
            fonts-wine qt6-translations-l10n \
            dbus-daemon desktop-file-utils appstream procps libfontconfig-dev pkgconf libmediainfo-dev \
            clang-format git
# Other filesystems for the output tests: a FUSE folder, and a FAT image through FUSE.
PACKAGES += bindfs fusefat dosfstools
# The installed-copy test loads the completion of each shell.
PACKAGES += zsh fish
# A package or a plain install builds without the tests and their libraries.
RELEASE_PACKAGES := g++ cmake ninja-build qt6-base-dev qt6-l10n-tools ffmpeg mediainfo fonts-wine qt6-translations-l10n \
                    libfontconfig-dev \
                    pkgconf libmediainfo-dev
PACKAGE_PACKAGES := $(RELEASE_PACKAGES) dpkg-dev debhelper fakeroot lintian
RELEASE  ?= build-release
PREFIX   ?= /usr/local
SUDO     := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test check-package build configure deps install uninstall clean translations

# The program alone, without the suite: a first window within minutes. The
# window needs a display, which is said in one line before anything is
# installed or built.
run:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY)$(QT_QPA_PLATFORM),,$(error no display to open the window on (DISPLAY and WAYLAND_DISPLAY are empty); 'make test' runs headless))
	@$(MAKE) --no-print-directory release
	$(RELEASE)/bin/vantrel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# The one case ctest leaves out (tests/CMakeLists.txt): the Debian package built
# twice from the source as it stands, compared byte for byte, checked with
# lintian, unpacked and run. It takes longer than the rest of the suite together.
check-package: package-deps build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/InstalledCopyTest --gtest_filter='InstalledCopy.Package*'

# After the program's texts change: the translation files take in the new
# texts and drop the gone ones. The suite fails until each is translated.
LUPDATE := /usr/lib/qt6/bin/lupdate -silent -no-obsolete -locations none -source-language en
LAYERS  := platform model queue engine core controls app
translations: deps
	for language in de fr; do \
	  $(LUPDATE) -target-language $$language $(LAYERS) -ts translations/vantrel_$$language.ts; done
	$(LUPDATE) -target-language en -pluralonly $(LAYERS) -ts translations/vantrel_en.ts

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

# Stripped, as a package installs it. The folders the install is about to
# create are noted first, so that `make uninstall` removes those and no other.
INSTALLED_FOLDERS = $(RELEASE)/install_folders.txt
install: release
	@set -e; stage=$$(mktemp -d); \
	DESTDIR="$$stage" cmake --install $(RELEASE) --prefix "$(PREFIX)" >/dev/null; \
	(cd "$$stage" && find . -mindepth 1 -type d | sed 's|^\.||') | while IFS= read -r folder; do \
	  [ -d "$${DESTDIR}$$folder" ] || printf '%s\n' "$${DESTDIR}$$folder"; done > "$$stage.new"; \
	cat "$$stage.new" $$(ls $(INSTALLED_FOLDERS) 2>/dev/null) | LC_ALL=C sort -u > "$$stage.all"; \
	mv "$$stage.all" $(INSTALLED_FOLDERS); rm -rf "$$stage" "$$stage.new"
	cmake --install $(RELEASE) --prefix "$(PREFIX)" --strip

# What the last `make install` wrote (CMake's install_manifest.txt), and the
# folders it created once they are empty.
uninstall:
	@[ -f $(RELEASE)/install_manifest.txt ] || { echo "make uninstall: nothing installed from $(RELEASE)/" >&2; exit 1; }
	@while IFS= read -r file || [ -n "$$file" ]; do rm -fv -- "$$file"; done < $(RELEASE)/install_manifest.txt
	@[ ! -f $(INSTALLED_FOLDERS) ] || LC_ALL=C sort -r $(INSTALLED_FOLDERS) | while IFS= read -r folder; do \
	  rmdir -- "$$folder" 2>/dev/null && echo "removed folder '$$folder'"; done; true
	@rm -f $(RELEASE)/install_manifest.txt $(INSTALLED_FOLDERS)

clean:
	rm -rf $(BUILD) $(RELEASE) $(SANITIZE_BUILD)

.PHONY: release package release-deps package-deps

# Built with Debian's flags: -O2, hardened, and with the build folder's path
# mapped away so two builds of one source give the same files.
release: release-deps
	@if [ ! -f $(RELEASE)/build.ninja ]; then \
	  export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	  CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  cmake -S . -B $(RELEASE) -G Ninja -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr; \
	fi
	cmake --build $(RELEASE)

# The source package (.dsc and its .changes) and the Debian packages vantrel
# and vantrel-dbgsym with theirs, in the folder above as dpkg-buildpackage
# leaves them, each checked with lintian. The suite runs inside, so its
# packages are needed too, unless DEB_BUILD_OPTIONS=nocheck.
VERSION        = $(shell dpkg-parsechangelog -SVersion)
SOURCE_CHANGES = ../vantrel_$(VERSION)_source.changes
CHANGES        = ../vantrel_$(VERSION)_$(shell dpkg --print-architecture).changes
package: deps package-deps
	dpkg-buildpackage -us -uc -S
	dpkg-buildpackage -us -uc -b
	lintian --fail-on error,warning $(SOURCE_CHANGES)
	lintian --fail-on error,warning $(CHANGES)

# Two packages of the last commit, each built in a clone of its own at a
# path of its own, must be the same byte for byte.
.PHONY: check-reproducible
check-reproducible: package-deps
	@set -e; dir=$$(mktemp -d); \
	for place in a second/b; do \
	  mkdir -p $$dir/$$place && git clone -q . $$dir/$$place/vantrel; \
	  echo "Building in $$dir/$$place/vantrel"; \
	  (cd $$dir/$$place/vantrel && env -u MAKEFLAGS -u MAKELEVEL DEB_BUILD_OPTIONS=nocheck \
	    dpkg-buildpackage -us -uc -b -Pnocheck >../build.log 2>&1) || { tail -20 $$dir/$$place/build.log; exit 1; }; \
	  (cd $$dir/$$place && sha256sum *.deb) > $$dir/$${place#*/}.sums; \
	done; \
	cat $$dir/a.sums; \
	if cmp -s $$dir/a.sums $$dir/b.sums; then echo "The two builds are the same."; rm -rf $$dir; \
	else cat $$dir/b.sums; echo "The two builds differ; both are in $$dir"; exit 1; fi

release-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(RELEASE_PACKAGES) dpkg-dev"

package-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_PACKAGES)"
