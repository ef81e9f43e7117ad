# The two commands a newcomer needs:
#   make run    build Tamsiro and open it on a generated demo stick
#   make test   install what is missing, build everything, run every test
SHELL := /bin/bash
.DEFAULT_GOAL := help
.PHONY: help deps build test test-core test-asan test-win32 run bench fuzz clean

help:
	@echo "make run    build and launch Tamsiro on a generated demo workspace"
	@echo "make test   install what is missing, build, run every test"
	@echo "make bench  release benchmarks of the Main install"
	@echo "make fuzz   run the fuzz targets (FUZZ_SECONDS per target, default 60)"

deps:
	@tools/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

test-core: build
	ctest --preset dev

test: test-core test-asan test-win32

clean:
	rm -rf build demo
