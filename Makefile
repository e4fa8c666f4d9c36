# Two commands: `make test` (install what is missing, build both trees, run every test)
# and `make run` (build and start Obel.exe under Wine). `make dist` writes the release zip
# build/dist/Obel-<version>.zip.
BUILD ?= build
JOBS ?= $(shell nproc)
HOST := $(BUILD)/host
ASAN := $(BUILD)/asan
WIN  := $(BUILD)/win
FUZZ := $(BUILD)/fuzz
# Seconds each fuzz target runs: FUZZ_SECONDS for `make fuzz`, a short smoke run in `make test`.
FUZZ_SECONDS ?= 180
FUZZ_SMOKE_SECONDS ?= 10

.PHONY: test run setup host asan win dist fuzz-build test-host test-asan test-win test-fuzz fuzz bench clean

setup:
	@bash tools/setup.sh

$(HOST)/CMakeCache.txt:
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=RelWithDebInfo
$(ASAN)/CMakeCache.txt:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DOBEL_SANITIZE=ON
$(WIN)/CMakeCache.txt:
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
$(FUZZ)/CMakeCache.txt:
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOBEL_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

host: setup $(HOST)/CMakeCache.txt
	cmake --build $(HOST) -j $(JOBS)
asan: setup $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)
win: setup $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS)
# The release zip of the Windows tree, in $(BUILD)/dist.
dist: win
	cmake --build $(WIN) --target dist
fuzz-build: setup $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) -j $(JOBS)

test-host: host
	ctest --test-dir $(HOST) --output-on-failure -j $(JOBS)
test-asan: asan
	ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)
# Window tests need a display: the whole Windows run gets its own Xvfb, so no window
# appears on the user's screen. One of them unpacks the release zip. The caption test then
# runs again in the fonts a user's own prefix may give the dialogs.
test-win: win dist
	xvfb-run -a -s "-screen 0 1024x768x24" bash tools/wine-ctest.sh $(abspath $(WIN))
	xvfb-run -a -s "-screen 0 1024x768x24" bash tools/wine-fonts-ctest.sh $(abspath $(WIN))

# libFuzzer targets (clang, address and undefined-behaviour sanitizers); the seeds come from
# the native tree.
test-fuzz: host fuzz-build
	bash tools/fuzz.sh $(abspath $(FUZZ)) $(abspath $(HOST)) $(FUZZ_SMOKE_SECONDS)
fuzz: host fuzz-build
	bash tools/fuzz.sh $(abspath $(FUZZ)) $(abspath $(HOST)) $(FUZZ_SECONDS)

test: test-host test-asan test-fuzz test-win

run: win
	bash tools/run-obel.sh $(abspath $(WIN))

bench: host win
	bash bench/run.sh $(abspath $(HOST)) $(abspath $(WIN))

clean:
	rm -rf $(BUILD)
