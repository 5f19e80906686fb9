# Two entry points: `make run` and `make test`. Both install what is missing on a
# Debian machine, configure, build incrementally, then run the program or the tests.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run test build install setup configure bench sanitize sanitize-readers fuzz fuzz-build fuzz-ci cardbase clean

run: build
	cd $(BUILD_DIR)/bin && ./tomelark

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The program, its data store and its desktop integration below PREFIX.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

configure: setup
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS); \
	fi

setup:
	@./scripts/setup-deps.sh

# Address and undefined-behaviour sanitizers over the whole suite, in its own tree.
sanitize: setup
	@if [ ! -f build-asan/build.ninja ]; then \
		cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOMELARK_SANITIZE=ON -DTOMELARK_BENCH=OFF; \
	fi
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets of every reader of outside bytes (tests/fuzz), built with clang
# under AddressSanitizer and UBSan in their own tree, each run for FUZZ_SECONDS over
# its seed corpus (every earlier finding included). The common unit's tests (pack
# stream, JPEG, GIF, BMP, word tokenizer, resampling) run in the same tree first.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz-build: setup
	@if [ ! -f $(FUZZ_DIR)/build.ninja ]; then \
		CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
			-DTOMELARK_FUZZ=ON -DTOMELARK_BENCH=OFF; \
	fi
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers test_common

fuzz: fuzz-build
	cd $(FUZZ_DIR)/tests && QT_QPA_PLATFORM=offscreen ./test_common --gtest_brief=1
	tests/fuzz/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS) $(JOBS)

# CI: the same, each target for a bounded time.
fuzz-ci:
	$(MAKE) fuzz FUZZ_SECONDS=20

# The common unit's tests alone under the sanitizers, built with GCC.
sanitize-readers: setup
	@if [ ! -f build-asan/build.ninja ]; then \
		cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOMELARK_SANITIZE=ON -DTOMELARK_BENCH=OFF; \
	fi
	cmake --build build-asan -j $(JOBS) --target test_common
	cd build-asan/tests && QT_QPA_PLATFORM=offscreen ./test_common

# The card base source assets/cardbase.json, rebuilt from the public card data (the
# MTGJSON file of every set of the set table and the Russian data below them) and the
# project's own Russian texts.
MTGJSON ?= ../shared/mtgjson
cardbase: build
	$(BUILD_DIR)/bin/tomelark-tool cardbase import-mtgjson --sets-from $(MTGJSON) \
		--russian $(MTGJSON)/ru --russian-extra assets/cardbase-russian.json --russian-extra assets/translations \
		--glossary assets/glossary-ru.json -o assets/cardbase.json

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD_DIR)
