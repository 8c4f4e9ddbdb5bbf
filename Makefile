# Thin wrapper over CMake + Ninja. `make demo` and `make test` work on a fresh machine.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 10
# Operations the demo runs; each discovery joins the list when it is built.
DEMO_OPS   ?= config clients jobs schedule media

CMAKE_FLAGS ?=

.PHONY: all deps configure build demo test test-asan bench fuzz package clean

all: build

deps:
	@./.ci/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/nwk-discover --out ./nwk-results $(DEMO_OPS)
	@echo "XML written:" && ls ./nwk-results/xml

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package nwk-discover_<version>_amd64.deb, written into $(BUILD).
package: build
	cd $(BUILD) && cpack -G DEB

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNWK_SANITIZE=ON -DNWK_BUILD_BENCH=OFF

test-asan: $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target nwk-bench
	$(BUILD)/bench/nwk-bench

$(FUZZ_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DNWK_BUILD_FUZZ=ON -DNWK_BUILD_TESTS=OFF -DNWK_BUILD_BENCH=OFF

fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	./fuzz/run-all $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) ./nwk-results
