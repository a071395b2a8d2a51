# One-command entry points; see README.md.
.PHONY: test wintest deps build windows web serve-web web-measure run run-windows package dist screenshots bench listen-bench fuzz format clean

JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# The package groups of scripts/apt-packages each entry point installs; make
# test and make deps install them all. The debug tree's configuration looks
# for everything its tests use.
DEPS_DEV = tools build desktop tests bench session web browser
DEPS_WINDOWS = tools windows
install = bash scripts/install-deps

test: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)
	$(call retries,dev)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	$(call retries,asan)
	$(MAKE) wintest
	$(MAKE) package-test

# The retries of the tests that record sound (a stalled sound server), from
# the tests' own lines in ctest's log, so a trend shows in every run's output.
retries = @grep -h -e '^\# retries:' -e '^recordings taken again' build/$(1)/Testing/Temporary/LastTest.log || true

# The Windows build and its tests, run under Wine in a private headless session.
wintest: windows
	$(install) wine session
	bash scripts/wine-session ctest --preset mingw -j $(JOBS)
	$(call retries,mingw)

# The Debian package installed, run and purged in a minimal Debian 12 root
# made offline from the packages scripts/install-deps fetches.
.PHONY: package-test
package-test: package
	$(install) cleanroot
	bash scripts/package-test

deps:
	$(install)

build:
	$(install) $(DEPS_DEV)
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

windows:
	$(install) $(DEPS_WINDOWS)
	cmake --preset mingw
	cmake --build --preset mingw -j $(JOBS)

# The web edition's static site in build/web; serve-web serves it on
# http://127.0.0.1:$(WEB_PORT)/ (sound needs localhost or HTTPS).
WEB_PORT ?= 8000
export NODE_PATH := /usr/share/nodejs$(if $(NODE_PATH),:$(NODE_PATH))

web:
	$(install) tools web
	bash scripts/build-web -j $(JOBS)

serve-web: web
	python3 -m http.server --bind 127.0.0.1 --directory build/web $(WEB_PORT)

# Page weight, first paint, memory and breaks in the sound, measured in
# headless Chromium, and the README's picture docs/web-screenshot.png; the
# tune editor's edits and its cost while a tune plays, and its pictures
# docs/editor-web.png, -phone.png and -tablet.png (the whole pages in build/web-shots);
# a MIDI keyboard's key to its sound against a PC key's.
web-measure: web
	$(install) browser
	node bench/measure.mjs build/web docs/web-screenshot.png
	node bench/measureEditor.mjs build/web docs/editor-web.png build/web-shots
	node bench/measureMidi.mjs build/web

# Starts the desktop edition on this desktop (DISPLAY or WAYLAND_DISPLAY must
# be set), built optimised with debug information and without the tests.
run:
	$(install) tools build desktop
	cmake --preset run
	cmake --build --preset run -j $(JOBS)
	build/run/host/qt/korvel

# Starts the Windows edition under Wine on this desktop (DISPLAY must be set).
run-windows:
	$(install) $(DEPS_WINDOWS) wine
	cmake --preset mingw
	cmake --build --preset mingw -j $(JOBS) --target korvel
	WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all wine build/mingw/host/win32/korvel.exe

# The Debian package, build/package/korvel-simulator_VERSION_ARCH.deb, of an
# optimised build without tests.
package:
	$(install) tools build desktop package
	cmake --preset dist
	cmake --build --preset dist -j $(JOBS)
	cpack --preset dist

# Everything a release offers, in build/dist: the Windows zip, the Debian
# package, the web site's zip and SHA256SUMS over them (see docs/developing.md,
# "Making a release").
dist:
	$(install) tools build desktop package windows web
	bash scripts/dist -j $(JOBS)

# README pictures of the running programs, taken in headless sessions.
screenshots: windows
	$(install) wine session build desktop
	KORVEL_DEFAULT_DESKTOP=no bash scripts/wine-session bash scripts/screenshots build/mingw/host/win32/korvel.exe docs
	cmake --preset run
	cmake --build --preset run -j $(JOBS)
	bash scripts/desktop-session bash scripts/desktop-screenshot build/run/host/qt/korvel docs/qt-screenshot.png

bench:
	$(install) tools build desktop bench
	cmake --preset release -DBUILD_TESTING=OFF
	cmake --build --preset release -j $(JOBS) --target korvel_bench korvel_qt_bench
	./build/release/bench/korvel_bench
	QT_QPA_PLATFORM=offscreen ./build/release/bench/korvel_qt_bench

# Listen against aubionotes, note by note, on recordings rendered into
# build/listen-corpus (once; again when a tune or the corpus scripts change),
# and both timed on 30 seconds of sound: prints the table of docs/listen.md.
# LISTEN_BENCH_FLAGS=--files adds every recording's precision, recall and F.
listen-bench:
	$(install) tools build bench listen-bench
	cmake --preset release -DBUILD_TESTING=OFF
	cmake --build --preset release -j $(JOBS) --target korvel_listen_bench korvel-cli
	bash bench/listen/make-corpus build/release/tools/cli/korvel-cli
	bash bench/listen/run-bench build/release/bench/korvel_listen_bench build/listen-corpus \
		build/listen-results $(LISTEN_BENCH_FLAGS)

# Fuzzes the script loader and the keypad, then the MIDI reader and import,
# each for FUZZ_SECONDS, starting from its committed corpus (the kit's with the
# examples). New inputs go to build/fuzz/finds (build/fuzz/midi-finds) and a
# failing one to build/fuzz/crash-*. A committed corpus changes only by hand:
# kit_fuzz -merge=1 -use_counters=0 EMPTY_DIR tests/fuzz/corpus build/fuzz/finds
# keeps a few dozen inputs covering every edge; EMPTY_DIR replaces the corpus
# (midi_fuzz likewise with tests/fuzz/midi-corpus and build/fuzz/midi-finds).
FUZZ_SECONDS ?= 60

fuzz:
	$(install) $(DEPS_DEV) fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	mkdir -p build/fuzz/finds build/fuzz/midi-finds
	build/fuzz/tests/fuzz/kit_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		-artifact_prefix=build/fuzz/ build/fuzz/finds tests/fuzz/corpus examples
	build/fuzz/tests/fuzz/midi_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		-artifact_prefix=build/fuzz/ build/fuzz/midi-finds tests/fuzz/midi-corpus

# The C++ by clang-format, the JavaScript by Prettier (then checked by ESLint).
format:
	$(install) browser
	git ls-files '*.h' '*.cpp' | xargs clang-format -i
	bash scripts/js-style --write

clean:
	rm -rf build
