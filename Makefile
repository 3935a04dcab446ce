# Two entry points for a fresh Debian 12 machine: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: run test deps build bench sanitize screenshots package clean

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-benchmarks.sh $(BUILD)

# Retakes every picture of the README from the real program on a virtual screen.
screenshots: build
	@scripts/screenshots.sh $(BUILD) docs

# build/sorvant_<version>_<arch>.deb, to install with
# `sudo apt install ./build/sorvant_*.deb`.
package: build
	cd $(BUILD) && cpack -G DEB

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSORVANT_SANITIZE=ON -DSORVANT_BENCHMARKS=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) build-asan
