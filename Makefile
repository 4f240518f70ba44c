# The two commands a newcomer needs: `make demo` and `make test`.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
, := ,
DEB_PACKAGES := cmake g++ make libboost-dev libsqlite3-dev nlohmann-json3-dev libgtest-dev libgmock-dev \
                libbenchmark-dev libcli11-dev sqlite3 pkg-config
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS ?=
PREFIX ?= $(CURDIR)/install
DEMO_DIR ?= fileextent-data
EXAMPLES_BUILD ?= build-examples
TOOL := build/tools/fileextentctl

.PHONY: deps build test test-asan test-tsan demo bench fuzz install examples clean

deps:
	@missing=$$(for p in $(DEB_PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

define configure_and_build
	cmake -S . -B $(1) $(2) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(1) -j $(JOBS)
endef

build: deps
	$(call configure_and_build,build,)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	$(call configure_and_build,build-asan,-DCMAKE_BUILD_TYPE=Debug -DFX_SANITIZE=address$(,)undefined)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	$(call configure_and_build,build-tsan,-DCMAKE_BUILD_TYPE=RelWithDebInfo -DFX_SANITIZE=thread)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# A restore of 2000 files through the library, then the files that failed.
demo: deps
	cmake -S . -B build $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target fileextentctl
	$(TOOL) simulate --dir $(DEMO_DIR)
	@echo
	$(TOOL) report --dir $(DEMO_DIR) --status FAILED --limit 10

install: build
	cmake --install build --prefix $(PREFIX)

# The installed package as an outside host uses it: the examples built with find_package(FileExtent)
# and once more with pkg-config, then run.
examples: install
	rm -rf $(EXAMPLES_BUILD)
	cmake -S examples -B $(EXAMPLES_BUILD) -DCMAKE_PREFIX_PATH=$(PREFIX) >/dev/null
	cmake --build $(EXAMPLES_BUILD) -j $(JOBS)
	PKG_CONFIG_PATH=$$(dirname $$(find $(PREFIX) -name fileextent.pc | head -n1)) && export PKG_CONFIG_PATH && \
	  $(CXX) -std=c++17 examples/restore_host.cpp -o $(EXAMPLES_BUILD)/restore_host_pc $$(pkg-config --cflags --libs fileextent)
	data=$$(mktemp -d) && \
	  $(EXAMPLES_BUILD)/restore_host $$data && $(EXAMPLES_BUILD)/recall_host $$data && mkdir $$data/pc && \
	  LD_LIBRARY_PATH=$$(dirname $$(find $(PREFIX) -name 'libFileExtent.so' | head -n1)) \
	    $(EXAMPLES_BUILD)/restore_host_pc $$data/pc && \
	  rm -rf $$data

# Throughput of the cache and of a whole restore into SQLite (Google Benchmark).
bench: deps
	$(call configure_and_build,build-bench,-DCMAKE_BUILD_TYPE=Release -DFX_BUILD_BENCH=ON -DFX_BUILD_TESTS=OFF -DFX_BUILD_TOOLS=OFF)
	./build-bench/bench/fileextent_bench

# A minute of libFuzzer on the XML message reader (clang).
fuzz: deps
	@command -v clang++ >/dev/null || { $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq clang; }
	CXX=clang++ cmake -S . -B build-fuzz -DFX_BUILD_FUZZ=ON -DFX_BUILD_TESTS=OFF -DFX_BUILD_TOOLS=OFF >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target fuzz_xml_message_deserialize
	./build-fuzz/fuzz/fuzz_xml_message_deserialize -max_total_time=60 -max_len=4096

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz $(EXAMPLES_BUILD)
