#!/usr/bin/env bash
# Checks that the layers include each other downward only, builds
# everything and runs every test: once normally, once under AddressSanitizer
# and UBSan, the parallel check under ThreadSanitizer, then short fuzz runs
# of the parsers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --tests
scripts/check-layers.py
jobs=$(nproc)
# Every build links with gold (binutils): twice as fast as the default linker.
export TARVEL_LINK_FLAGS=-fuse-ld=gold
link=(-DCMAKE_EXE_LINKER_FLAGS="$TARVEL_LINK_FLAGS")

# The code as it ships (-O2), without the debug information nobody reads
# here: the sanitizer build below has it for its stack traces.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  "${link[@]}" -DTARVEL_TESTS=ON >/dev/null
ninja -C build
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEL_SANITIZE=ON "${link[@]}" -DTARVEL_TESTS=ON >/dev/null
ninja -C build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ThreadSanitizer on tarvel checking drives at once: only tarvel and the test
# that runs it, without the desktop libraries, so the stage stays short.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEL_TSAN=ON -DTARVEL_GUI=OFF "${link[@]}" >/dev/null
ninja -C build-tsan tarvel_parallel_tests
TSAN_OPTIONS=halt_on_error=1:exitcode=66 build-tsan/tests/tarvel_parallel_tests

if [ -x scripts/fuzz.sh ]; then scripts/fuzz.sh; fi
echo "All tests passed."
