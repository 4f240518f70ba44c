# The two commands a newcomer needs: `make demo` and `make test`.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
, := ,
DEB_PACKAGES := cmake g++ make libboost-dev libsqlite3-dev nlohmann-json3-dev libgtest-dev libgmock-dev \
                libbenchmark-dev libcli11-dev sqlite3 pkg-config libpugixml-dev libhiredis-dev redis-server
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS ?=
PREFIX ?= $(CURDIR)/install
DEMO_DIR ?= fileextent-data
EXAMPLES_BUILD ?= build-examples
TOOL := build/tools/fileextentctl

.PHONY: deps build test test-asan test-tsan demo bench bench-redis fuzz fuzz-build fuzz-smoke stress install examples clean

# Installs those of the Debian packages $(1) that are missing.
define apt_install
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call apt_install,$(DEB_PACKAGES))

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

# A restore of 2000 files through the library, then the files that failed and the summary per task.
demo: deps
	cmake -S . -B build $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target fileextentctl
	$(TOOL) simulate --dir $(DEMO_DIR)
	@echo
	$(TOOL) report --dir $(DEMO_DIR) --status FAILED --limit 10
	@echo
	$(TOOL) report --dir $(DEMO_DIR) --summary

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
	  $(EXAMPLES_BUILD)/restore_host $$data && $(EXAMPLES_BUILD)/recall_host $$data && \
	  mkdir $$data/resume && $(EXAMPLES_BUILD)/resume_host $$data/resume && mkdir $$data/pc && \
	  LD_LIBRARY_PATH=$$(dirname $$(find $(PREFIX) -name 'libFileExtent.so' | head -n1)) \
	    $(EXAMPLES_BUILD)/restore_host_pc $$data/pc && \
	  rm -rf $$data

# The library against the baselines a host would write without it, interleaved in one process:
# one table of ratios and targets at the end. BENCH_ARGS=--quick for a smoke run, --only=N for some.
BENCH_BUILD ?= build-bench
BENCH_ARGS ?=

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DFX_BUILD_BENCH=ON -DFX_BUILD_TESTS=OFF -DFX_BUILD_TOOLS=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target fileextent_bench
	$(BENCH_BUILD)/bench/fileextent_bench $(BENCH_ARGS)

# A distributed restore at full size over a temporary redis-server: agent processes, then one and
# then two collectors, each database checked against the same restore in one process.
# REDIS_BENCH_ARGS: agents, files, extents, block.
REDIS_BENCH_ARGS ?= 8 20000 16 0
bench-redis: deps
	cmake -S . -B build $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target fileextentctl
	bench/redis-distributed.sh $(TOOL) $(REDIS_BENCH_ARGS)

# libFuzzer on every decoder of outside input (clang, with AddressSanitizer and UBSan).
FUZZ_PACKAGES := clang libclang-rt-dev
FUZZ_TARGETS := fuzz_xml_message_deserialize fuzz_restored_attributes fuzz_post_process_action \
                fuzz_recall_metadata fuzz_recall_stats fuzz_extent_bitmap fuzz_collector_message
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz

fuzz-build: deps
	$(call apt_install,$(FUZZ_PACKAGES))
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DFX_BUILD_FUZZ=ON -DFX_BUILD_TESTS=OFF -DFX_BUILD_TOOLS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)

# Runs every target from its seeds in fuzz/corpus/<target>, with libFuzzer options $(2). New inputs
# go to $(1)/<target> (never into the seeds), crashes to artifacts/; a crash stops the run with the
# end of that target's log.
define run_fuzzers
	@set -e; mkdir -p $(FUZZ_BUILD)/artifacts $(FUZZ_BUILD)/logs; \
	for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(1)/$$t; log=$(FUZZ_BUILD)/logs/$$t.log; \
	  if ! $(FUZZ_BUILD)/fuzz/$$t $(1)/$$t fuzz/corpus/$$t -max_len=4096 -print_final_stats=1 \
	         -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t- $(2) >$$log 2>&1; then \
	    tail -n 40 $$log; echo "$$t failed; the input is in $(FUZZ_BUILD)/artifacts/"; exit 1; \
	  fi; \
	  printf '%-30s %s\n' $$t "$$(grep -m1 '^Done' $$log)"; \
	done
endef

# About a minute per target; what they learn is kept in $(FUZZ_BUILD)/corpus/ for the next run.
fuzz: fuzz-build
	$(call run_fuzzers,$(FUZZ_BUILD)/corpus,-max_total_time=$(FUZZ_SECONDS))

# CI's check that no decoder crashes: five seconds per target from the seeds alone, with a fixed seed.
fuzz-smoke: fuzz-build
	rm -rf $(FUZZ_BUILD)/smoke-corpus
	$(call run_fuzzers,$(FUZZ_BUILD)/smoke-corpus,-max_total_time=5 -seed=1)

# The crash tests at length: restores and recalls killed with SIGKILL at random moments, between
# the row writes of a flush and after unreported flushes; every database checked after every kill.
# FX_CRASH_SEED=<seed> STRESS_ROUNDS=1 replays a round a failure names.
STRESS_BUILD ?= build
STRESS_ROUNDS ?= 250

stress: deps
	cmake -S . -B $(STRESS_BUILD) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(STRESS_BUILD) -j $(JOBS) --target test_crash
	FX_CRASH_ROUNDS=$(STRESS_ROUNDS) $(STRESS_BUILD)/tests/test_crash

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz $(EXAMPLES_BUILD)
