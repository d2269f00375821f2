# The two commands a new user needs: `make run` and `make test`.
# Both install what is missing (Debian packages), build, then run.

# Each build is a preset of CMakePresets.json (`cmake --preset NAME`), in the
# preset's own folder: dev in build/, asan in build-asan/, fuzz in build-fuzz/,
# windows in build-windows/, release in build-release/. A build folder is
# configured again when CMakePresets.json changes.
BUILD      := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
WIN_BUILD  := build-windows
REL_BUILD  := build-release
FUZZ_SECONDS ?= 300
JOBS       ?= $(shell nproc)

.PHONY: all deps build test test-asan test-media fuzz run samples demo bench screenshots install package \
        windows test-windows format format-check tidy mutants mutants-windows clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: CMakePresets.json
	cmake --preset dev

build: deps $(BUILD)/build.ninja
	cmake --build --preset dev -j $(JOBS)

$(ASAN_BUILD)/build.ninja: CMakePresets.json
	cmake --preset asan

# The engine and command-line tests again, under AddressSanitizer and UBSan.
test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=10

$(FUZZ_BUILD)/build.ninja: CMakePresets.json
	cmake --preset fuzz

# Header decoding and name composition, and the Exif segment's place in the
# JPEG data, under libFuzzer, ASan and UBSan, for
# FUZZ_SECONDS (a few minutes each by default), from the seed corpora in
# fuzz/corpus (which ctest replays in every test build).
fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build --preset fuzz -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus
	mkdir -p $(FUZZ_BUILD)/corpus-jpeg-head
	$(FUZZ_BUILD)/fuzz/ostrel-fuzz-names -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus fuzz/corpus/names
	$(FUZZ_BUILD)/fuzz/ostrel-fuzz-jpeg-head -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus-jpeg-head fuzz/corpus/jpeg-head

# Last, what Orca says of the window (skipped, with a line, without Orca).
test: build
	ctest --preset dev -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	scripts/screen-reader-check $(BUILD)

# Conversions from and to FAT32 and exFAT images mounted with their FUSE
# drivers, with the kernel's caches dropped under each run (scripts/media-test).
# Needs root and /dev/fuse, and says so when it has to skip.
test-media: build
	@scripts/install-deps media
	scripts/media-test $(BUILD)

run: build
	$(BUILD)/frontend/ostrel

# The window's two tabs and the About window as PNG files, at 100% and at 200%
# (main@2x.png and so on): with Liberation Sans in docs/screenshots; with
# DejaVu Sans as the only font (main-dejavu.png) and in a dark palette
# (main-dark.png) in $(BUILD)/screenshots.
screenshots: build
	scripts/screenshots $(BUILD)/tools/ostrel-screenshots docs/screenshots $(BUILD)/screenshots

# Draws the sample PMP files again.
samples: build
	$(BUILD)/tools/ostrel-make-samples samples samples

# Converts the sample files into a fresh temporary folder and lists the names.
demo: build
	@out=$$(mktemp -d) && \
	$(BUILD)/cli/ostrel-convert --subfolders matching --quiet samples "$$out" && \
	echo "Converted into $$out:" && (cd "$$out" && find . -type f | sort)

# Not part of `make test`: generates its own trees (about 2.5 GB) and prints a table.
bench: build
	@scripts/install-deps bench
	bench/run.sh $(BUILD)

# The engine, the window (ostrel.exe), ostrel-convert.exe and their tests for
# 64-bit Windows, built with MinGW-w64 into $(WIN_BUILD), and the zip file a
# Windows user downloads. GoogleTest and CLI11 come from Debian's packages,
# built with the same toolchain into $(WIN_BUILD)/deps; Qt and Exiv2 are
# static builds of Debian's qt6-base and exiv2 sources, made once by
# scripts/build-qt-windows and scripts/build-exiv2-windows into ~/.cache/ostrel
# (about 32 minutes and half a minute on two cores) and reused.
WIN_DEPS := $(CURDIR)/$(WIN_BUILD)/deps

$(WIN_DEPS)/lib/cmake/CLI11/CLI11Config.cmake:
	cmake -S cmake/windows-deps -B $(WIN_BUILD)/deps-build -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake -DCMAKE_INSTALL_PREFIX=$(WIN_DEPS)
	cmake --build $(WIN_BUILD)/deps-build -j $(JOBS) --target install

# The windows preset finds them there ($(WIN_DEPS) is its GTest_DIR and
# CLI11_DIR), Qt in $OSTREL_QT_PREFIX and Exiv2 in $OSTREL_EXIV2_PREFIX, the
# last lines that build-qt-windows and build-exiv2-windows print.
$(WIN_BUILD)/build.ninja: CMakePresets.json $(WIN_DEPS)/lib/cmake/CLI11/CLI11Config.cmake
	OSTREL_QT_PREFIX="$$(JOBS=$(JOBS) scripts/build-qt-windows | tail -n 1)" && \
	OSTREL_EXIV2_PREFIX="$$(JOBS=$(JOBS) scripts/build-exiv2-windows | tail -n 1)" && \
	    test -n "$$OSTREL_QT_PREFIX" && test -n "$$OSTREL_EXIV2_PREFIX" && \
	    OSTREL_QT_PREFIX="$$OSTREL_QT_PREFIX" OSTREL_EXIV2_PREFIX="$$OSTREL_EXIV2_PREFIX" \
	    cmake --preset windows

windows:
	@scripts/install-deps windows
	$(MAKE) --no-print-directory $(WIN_BUILD)/build.ninja
	cmake --build --preset windows -j $(JOBS)

# The engine, command-line and window tests under Wine (the window offscreen),
# in a Wine prefix of their own ($(WIN_BUILD)/wine); needs no display. Then
# the window itself, on Xvfb in a fresh Wine prefix (scripts/windows-smoke-test),
# with a screenshot in $(WIN_BUILD)/screenshots/windows-main.png, which is
# what docs/screenshots/windows-main.png shows. Last the installer, in another
# fresh Wine prefix on Xvfb: page by page, with a screenshot of each page in
# $(WIN_BUILD)/screenshots (installer-1-welcome.png is what
# docs/screenshots/windows-installer.png shows), and silently, also while the
# programs run.
test-windows: windows
	ctest --preset windows -j $(JOBS)
	scripts/windows-smoke-test $(WIN_BUILD) $(WIN_BUILD)/screenshots/windows-main.png
	scripts/windows-installer-test $(WIN_BUILD)/ostrel-*-setup.exe $(WIN_BUILD)/screenshots

# The faults of tests/mutants.txt planted one at a time, each built in
# build-mutants/ and tested there: the share of them that the tests catch.
# Not part of `make test`: half a minute a fault.
mutants: deps
	scripts/mutants --jobs $(JOBS)

# The same for the faults in what only the Windows build compiles, planted
# into $(WIN_BUILD) and tested under Wine.
mutants-windows: windows
	scripts/mutants --build $(WIN_BUILD) --jobs $(JOBS)

# PREFIX=/usr/local by default; DESTDIR is honoured.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(REL_BUILD)/ostrel_<version>_amd64.deb, with CPack, from
# the release preset: the programs alone, Release at -O2 as Debian's archive
# builds, with Debian's hardening flags (dpkg-buildflags), in a folder of its own.
$(REL_BUILD)/build.ninja: CMakePresets.json
	cmake --preset release

package: deps $(REL_BUILD)/build.ninja
	cmake --build --preset release -j $(JOBS)
	cpack --preset release

# Every tracked C++ file in the layout of .clang-format: `make format` rewrites
# them, `make format-check` (the first step of CI) fails on any that differs.
format:
	@scripts/install-deps format
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i

format-check:
	@scripts/install-deps format
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

# clang-tidy with the checks of .clang-tidy over the product code in the dev
# build's compile database (not the tests, nor moc, uic or rcc's output).
# Any finding fails it; CI runs it.
tidy: build
	@scripts/install-deps tidy
	scripts/tidy $(BUILD) $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) $(REL_BUILD)
