# The two commands a newcomer needs:
#   make run    build Tamsiro and open it on a generated demo stick
#   make test   install what is missing, build everything, run every test
SHELL := /bin/bash
.DEFAULT_GOAL := help
.PHONY: help deps build test test-core test-release test-asan test-werror test-win32 test-fat test-fat-full run bench fuzz clean test-qt package package-check package-windows test-times

# What the host can run. Every host runs the core and Qt suites (test-core);
# these need Linux: Debian's gcc and clang with their sanitizer runtime,
# MinGW-w64 and Wine, QEMU with Debian's cloud kernel. `make test
# HOST_OS=Darwin` shows on Linux what a Mac does.
HOST_OS ?= $(shell uname -s)
LINUX_ONLY_TESTS := test-asan test-werror test-win32 package-check test-fat

help:
	@echo "make run    build and launch Tamsiro on a generated demo workspace"
	@echo "make test   install what is missing, build, run every test"
	@echo "make test-werror  the release (gcc) and asan (clang) builds alone, warnings as errors"
	@echo "make test-fat  Save, Restore, power cuts and crash states on a FAT stick in QEMU (test-fat-full: all)"
	@echo "make test-times  the stage times of the last make test, as a table"
	@echo "make package  the portable folder (.tar.gz) and the Debian package (build/release)"
	@echo "make package-windows  the Windows zip (build/mingw), cross-built with MinGW-w64"
	@echo "make bench  release benchmarks of the Main install"
	@echo "make fuzz   run the fuzz targets (FUZZ_SECONDS per target, default 60)"

deps:
	@tools/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

test-core: build
	ctest --preset dev

# On Linux make test is tools/test-stages.sh: three builds (release with
# gcc, asan with clang, mingw), each suite started as soon as its build is
# done, and a timing line per stage at the end (docs/DEVELOPMENT.md). It
# runs every check of test-release, test-asan, test-win32 and package-check,
# and the FAT scenarios with a sample of the crash states; test-fat runs
# the larger samples, test-fat-full all of them.
ifeq ($(HOST_OS),Linux)
test:
	@tools/test-stages.sh
else
test: test-core
	@echo "make test ran the core and Qt suites; skipped on $(HOST_OS), as they need Linux: $(LINUX_ONLY_TESTS)"
endif

# The suites built by gcc with optimisation, as the packages are (preset
# release, build/release, warnings as errors).
test-release: deps
	cmake --preset release
	cmake --build --preset release
	ctest --preset release -j2

# The whole test suite built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (preset asan, build/asan).
test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -j2

# Warnings are errors in every preset that inherits dev, so the builds of
# make test are this check: gcc in release, clang in asan, tests included.
test-werror: deps
	cmake --preset release
	cmake --build --preset release
	cmake --preset asan
	cmake --build --preset asan

# The stage times of the last make test (build/test-logs/stages.tsv), as a
# Markdown table; the lead's wall-clock figures come from a quiet machine.
test-times:
	@tools/test-stages.sh --times

# Release benchmark of the Main install against cp (docs/BENCHMARKS.md).
# Needs about 5 GiB free under BENCH_DIR for a while; removes its files.
# BENCH_ARGS passes options, e.g. BENCH_ARGS="--cases realistic --runs 3".
BENCH_DIR ?= build/bench/work
bench: deps
	cmake --preset bench
	cmake --build --preset bench --target tamsiro_bench
	build/bench/bench/tamsiro_bench --dir $(BENCH_DIR) $(BENCH_ARGS)
	cmake --build --preset bench --target tamsiro_bench_save
	build/bench/bench/tamsiro_bench_save --dir $(BENCH_DIR)

# Each libFuzzer target for FUZZ_SECONDS (preset fuzz, build/fuzz); the
# corpora grow in build/fuzz/corpus, findings land in build/fuzz/artifacts.
# FUZZ_TARGETS picks some, e.g. FUZZ_TARGETS="fuzz_archive_open".
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	fuzz/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Tamsiro.exe (MinGW-w64) and its zip, checked, then end to end under Wine
# on a virtual display, run from the zip.
test-win32: deps
	tests/win32/run-e2e.sh

# Tamsiro on a FAT stick under Linux's vfat driver, in QEMU without KVM
# (build/fat): the scenarios and a sample of power cuts, about 6 minutes on
# two cores; test-fat-full cuts at every file operation of a Save and a
# Restore on a small stick and of a Save on a roomy one (about 40 minutes).
# Then the crash states (build/fat-crash): cuts inside the stick's own
# writes, rebuilt from a recording of a Save and a Restore, a seeded sample
# in about 5 minutes, every state in test-fat-full (report.txt there).
# FAT_JOBS sets how many machines run at once (default 2). make test runs
# the scenarios without the cuts between operations (the crash states cut
# inside and between the flushes) and a smaller sample of crash states.
test-fat: build
	tests/fat/run-fat.sh build/dev
	tests/fat/run-crash-states.sh build/dev

test-fat-full: build
	FAT_CUTS=all tests/fat/run-fat.sh build/dev
	FAT_CRASH_STATES=all tests/fat/run-crash-states.sh build/dev

test-qt: build
	ctest --preset dev -R '^tamsiro_qt_tests$$'

# The demo, made afresh each time: demo/Tamsiro is the program folder (a few
# sample sound sets and the tamsiro binary), demo/stick a sample stick. The
# program starts in demo/stick, so the chooser opens on its memstick.ind.
# RUN_XVFB=1 runs it on a virtual display instead (nothing to see there).
run: deps
	cmake --preset dev
	cmake --build --preset dev --target tamsiro make_demo_workspace
	rm -rf demo
	build/dev/tools/make_demo_workspace demo
	cp build/dev/ui/qt/tamsiro demo/Tamsiro/
	@cd demo/stick && if [[ "$(RUN_XVFB)" == 1 ]]; then \
	  exec xvfb-run -a -s "-screen 0 1280x1024x24" ../Tamsiro/tamsiro; \
	elif [[ -z "$$DISPLAY$$WAYLAND_DISPLAY" && "$(HOST_OS)" != Darwin ]]; then \
	  echo "No display: DISPLAY and WAYLAND_DISPLAY are not set, so Tamsiro cannot open its window."; \
	  echo "The demo is ready; from a desktop session run:  cd demo/stick && ../Tamsiro/tamsiro"; \
	  exit 1; \
	else \
	  exec ../Tamsiro/tamsiro; \
	fi

# The portable folder build/release/Tamsiro-<version>-<host>.tar.gz and, on
# Linux, the Debian package build/release/tamsiro_<version>_<arch>.deb
package: deps
	cmake --preset release
	cmake --build --preset release --target package

# The Windows zip build/mingw/Tamsiro-<version>-Windows.zip: Tamsiro.exe,
# tamsiro-cli.exe and README.txt (make test-win32 builds and checks it too).
package-windows: deps
	cmake --preset mingw
	cmake --build --preset mingw --target tamsiro_packages
	packaging/check-packages.sh --windows build/mingw

# The Linux packages (build/release: the .deb and the portable .tar.gz),
# built without the tests, then checked by packaging/check-packages.sh:
# validated, installed into a throw-away root with dpkg, and run.
package-check: deps
	cmake --preset release
	cmake --build --preset release --target tamsiro_packages
	packaging/check-packages.sh build/release

clean:
	rm -rf build demo
