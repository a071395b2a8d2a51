# One-command entry points; see README.md.
.PHONY: test wintest deps build windows run screenshots bench format clean

JOBS ?= $(shell nproc 2>/dev/null || echo 2)

test: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	$(MAKE) wintest

# The Windows build and its tests, run under Wine in a private headless session.
wintest: windows
	bash scripts/wine-session ctest --preset mingw -j $(JOBS)

deps:
	bash scripts/install-deps

build: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

windows: deps
	cmake --preset mingw
	cmake --build --preset mingw -j $(JOBS)

# Starts the simulator under Wine on this desktop (DISPLAY must be set).
run: deps
	cmake --preset mingw
	cmake --build --preset mingw -j $(JOBS) --target korvel
	WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all wine build/mingw/host/win32/korvel.exe

# README pictures of the running program, taken in a headless session.
screenshots: windows
	KORVEL_DEFAULT_DESKTOP=no bash scripts/wine-session bash scripts/screenshots build/mingw/host/win32/korvel.exe docs

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	./build/release/bench/korvel_bench

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
