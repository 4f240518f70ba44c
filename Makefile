# The two commands a newcomer needs: `make demo` and `make test`.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
, := ,
DEB_PACKAGES := cmake g++ make libboost-dev libsqlite3-dev nlohmann-json3-dev libgtest-dev libgmock-dev \
                libbenchmark-dev libcli11-dev sqlite3 pkg-config
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS ?=

.PHONY: deps build test test-asan test-tsan demo bench install clean

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

clean:
	rm -rf build build-asan build-tsan
