#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz) and runs each for a
# short while on its seed corpus in fuzz/corpus. FUZZ_SECONDS sets the time
# per target (20), JOBS the build's parallel jobs, TARVEL_LINK_FLAGS the
# linker's flags (scripts/test.sh picks gold). New inputs the fuzzer
# finds go to build-fuzz/corpus, crashes to build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTARVEL_FUZZ=ON -DTARVEL_GUI=OFF -DTARVEL_TESTS=OFF \
  -DCMAKE_EXE_LINKER_FLAGS="${TARVEL_LINK_FLAGS:-}" >/dev/null
ninja -C build-fuzz -j "${JOBS:-$(nproc)}" fuzzers

mkdir -p build-fuzz/crashes
# One target's run; prints its summary, or its log's end when it failed.
fuzz_one() {
  local seeds=$1 target work log
  target=$(basename "$seeds")
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  log=build-fuzz/$target.log
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -max_len=16384 \
    -artifact_prefix="build-fuzz/crashes/$target-" "$work" "$seeds" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "Fuzzing $target failed: the input is in build-fuzz/crashes, the whole output in $log"
    return 1
  fi
  echo "$target: $(grep -E '^Done [0-9]+ runs' "$log")"
}
export -f fuzz_one
export seconds
# The targets run side by side, one per core: each still gets its full time.
if ! printf '%s\0' fuzz/corpus/*/ | xargs -0 -n 1 -P "$(nproc)" bash -c 'fuzz_one "$1"' _; then
  echo "Fuzzing found a problem (above)."
  exit 1
fi
echo "Fuzzing found nothing."
