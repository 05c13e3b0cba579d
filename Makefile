# Entry points for people and CI. `make run` builds and starts the program, `make test` builds and
# runs every test; both install missing Debian packages first. `make package` builds the Debian
# package.
JOBS ?= $(shell nproc)
PRESET ?= default
BUILD := build$(if $(filter default,$(PRESET)),,-$(PRESET))

.PHONY: deps configure build run test bench package format format-check clean

deps:
	@scripts/install-deps.sh

# CI (CI=true in the environment) builds with warnings as errors.
configure: deps
	cmake --preset $(PRESET) $(if $(filter true,$(CI)),-DTALVORO_WERROR=ON) > /dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Without a display the desktop program cannot start: say so and name the headless server.
run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
	  echo "make run: no display here (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "Start the headless server instead: $(BUILD)/talvoro-server [DATADIR]"; \
	  echo "(see README.md, \"The headless server and packages\")"; \
	  exit 1; \
	fi
	$(BUILD)/talvoro $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package, talvoro_<version>_<arch>.deb, in the build folder.
package: build
	rm -f $(BUILD)/talvoro_*.deb
	cd $(BUILD) && cpack -G DEB

bench: build
	scripts/run-benchmarks.sh $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-*
