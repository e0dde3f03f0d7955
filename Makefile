# Front door of the project. `make run` starts the host program with the simulated instrument;
# `make test` builds the sanitizer build and runs the whole suite.
.PHONY: all build test test-tsan run bench deps clean

DEPS_STAMP := build/.deps-ok
RUN_DIR    := run

all: build

# Installs the Debian packages the build needs when one is missing (a fresh machine has them all).
deps: $(DEPS_STAMP)
$(DEPS_STAMP):
	@./.ci/deps
	@mkdir -p build && touch $@

build: deps
	cmake --preset default
	cmake --build --preset default

test: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

run: build
	@mkdir -p $(RUN_DIR)
	@if [ -x build/bin/tamrel-host ]; then \
	  build/bin/tamrel-host --device sim2 --drives $(RUN_DIR)/drives $(ARGS); \
	else \
	  echo "tamrel-host is not built yet: the host program arrives with the session library"; exit 1; \
	fi

bench: deps
	cmake --preset release
	cmake --build --preset release
	@for b in build-release/bin/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b" || true; done

clean:
	rm -rf build build-asan build-tsan build-release
