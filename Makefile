# Entry points for people and CI. `make run` builds and starts the program, `make test` builds and
# runs every test; both install missing Debian packages first.
JOBS ?= $(shell nproc)
PRESET ?= default
BUILD := build$(if $(filter default,$(PRESET)),,-$(PRESET))

.PHONY: deps configure build run test bench format format-check clean

deps:
	@scripts/install-deps.sh

# CI (CI=true in the environment) builds with warnings as errors.
configure: deps
	cmake --preset $(PRESET) $(if $(filter true,$(CI)),-DTALVORO_WERROR=ON) > /dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/talvoro $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	scripts/run-benchmarks.sh $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-*
