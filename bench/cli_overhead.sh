#!/usr/bin/env bash
# Three figures of `tarvel` on the command line:
# 1. the time it adds to the smartctl runs it makes: checks N replayed
#    drives (N = 1, 8, 64) with `tarvel --replay ...` from a bundle whose
#    smartctl is the built gate, as installed, and runs the very same
#    smartctl command lines alone, and prints the ratio of the two;
# 2. the speed-up of checking drives at once: 64 drives answered by the
#    stand-in smartctl, which waits 50 ms per run as a disk does, checked
#    with --jobs 1 and with the default number of jobs;
# 3. the peak memory (maximum resident set) of the tarvel process itself,
#    not its children, for a `tarvel --replay FILE` check.
# Times are medians of rounds (RUNS of them for 64 drives, twice as many for
# 8, six times for 1), each round running every command line being compared
# once, in turn, so that other work on the machine weighs on
# them alike; the overhead is also given in CPU time, which such work
# disturbs much less than the clock.
#
# Usage: bench/cli_overhead.sh [BUILD_FOLDER] [RUNS]    (default: build, 10)
# The build folder must hold tarvel, the gate, tarvel-fakedrive and the
# stand-in smartctl (ninja -C build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-10}
macos="$build/Tarvel Menu Item.app/Contents/MacOS"
tarvel="$macos/tarvel"
gate="$macos/smartctl"
fakedrive="$build/tools/fakedrive/tarvel-fakedrive"
standin="$build/tools/standin/tarvel-smartctl-standin"
smartctl=/usr/sbin/smartctl
for f in "$tarvel" "$gate" "$fakedrive" "$standin" "$smartctl"; do
  [ -x "$f" ] || { echo "missing $f: build first (ninja -C $build)" >&2; exit 2; }
done
command -v cc >/dev/null || { echo "missing cc (for the memory figure)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_STATE_HOME= XDG_DATA_HOME= XDG_CONFIG_HOME=
mkdir -p "$HOME"

place() { ln -f "$1" "$2" 2>/dev/null || cp "$1" "$2"; }

# A bundle with tarvel, first with a smartctl that records the command lines
# tarvel gives it for one drive, then with the gate.
bundle="$work/Bench.app/Contents/MacOS"
mkdir -p "$bundle"
place "$tarvel" "$bundle/tarvel"
"$fakedrive" -o "$work/drive.trdr" resources/simulated-drives/healthy-hdd.drive
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\nexec %s "$@"\n' "$work/calls" "$smartctl" > "$bundle/smartctl"
chmod +x "$bundle/smartctl"
"$bundle/tarvel" --replay "$work/drive.trdr" >/dev/null || true
rm "$bundle/smartctl"
place "$gate" "$bundle/smartctl"
echo "smartctl runs per drive: $(wc -l < "$work/calls") ($(paste -sd ',' "$work/calls"))"

# The same runs without tarvel: one smartctl per recorded command line.
{
  echo '#!/bin/sh'
  echo 'for f in "$@"; do'
  while read -r args; do echo "  $smartctl $args < \"\$f\" > /dev/null"; done < "$work/calls"
  echo 'done'
} > "$work/alone.sh"

# Wall-clock seconds and CPU seconds (user and system, the command line's
# processes and all their children) of one run of a command line.
measure() {
  python3 -c 'import resource, subprocess, sys, time
def cpu():
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return used.ru_utime + used.ru_stime
before, start = cpu(), time.monotonic()
subprocess.run(sys.argv[1], shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(time.monotonic() - start, cpu() - before)' "$1"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# For each command line, the median wall-clock and CPU seconds over $1
# rounds, one run of each per round in turn, so that the machine's other
# work weighs on them alike: "WALL1 CPU1 WALL2 CPU2 ...".
medians() {
  local rounds=$1
  shift
  local i c cmd
  for cmd in "$@"; do sh -c "$cmd" >/dev/null 2>&1 || true; done  # warm-up
  for i in $(seq "$rounds"); do
    c=0
    for cmd in "$@"; do
      measure "$cmd" >> "$work/times.$c"
      c=$((c + 1))
    done
  done
  c=0
  for cmd in "$@"; do
    cut -d' ' -f1 "$work/times.$c" | median
    cut -d' ' -f2 "$work/times.$c" | median
    rm "$work/times.$c"
    c=$((c + 1))
  done | paste -sd ' '
}

echo
echo "1. Overhead over the bare smartctl runs (replays; the bundle's smartctl is the gate)"
echo "   wall-clock seconds, and CPU seconds of tarvel or the loop with all their children;"
echo "   the CPU figure holds where other work on the machine makes the clock unsteady"
printf '%6s %10s %10s %9s %10s %10s %9s %12s\n' drives "tarvel" "alone" overhead "tarvel CPU" "alone CPU" overhead "default jobs"
for n in 1 8 64; do
  files=()
  for i in $(seq "$n"); do
    cp "$work/drive.trdr" "$work/drive$i.trdr"
    files+=("$work/drive$i.trdr")
  done
  replay_args=""
  for f in "${files[@]}"; do replay_args+=" --replay $f"; done
  # --jobs 1: one drive after the other, as the loop runs them. Fewer drives
  # take more rounds: the shorter a run, the more the clock's noise weighs.
  rounds=$(( n == 1 ? runs * 6 : n == 8 ? runs * 2 : runs ))
  read -r t tc a ac d _ < <(medians "$rounds" "$bundle/tarvel --jobs 1$replay_args" "sh $work/alone.sh ${files[*]}" \
    "$bundle/tarvel$replay_args")
  awk -v n="$n" -v t="$t" -v a="$a" -v tc="$tc" -v ac="$ac" -v d="$d" 'BEGIN {
    printf "%6d %10.3f %10.3f %8.1f%% %10.3f %10.3f %8.1f%% %12.3f\n", n, t, a, (t - a) * 100 / a, tc, ac, (tc - ac) * 100 / ac, d }'
done

echo
echo "2. Checking drives at once: 64 drives, a stand-in smartctl that takes 50 ms per run"
standin_bundle="$work/Standin.app/Contents/MacOS"
mkdir -p "$standin_bundle/captures"
place "$tarvel" "$standin_bundle/tarvel"
place "$standin" "$standin_bundle/smartctl"
devices=()
for i in $(seq 64); do
  cp tests/data/smartctl/nvme/handmade-7.5-990PRO-selftest-passed.txt "$standin_bundle/captures/bench$i.txt"
  devices+=("/dev/bench$i")
done
export TARVEL_STANDIN_DELAY_MS=50
parallel_runs=$(( runs < 3 ? runs : 3 ))
read -r s _ p _ < <(medians "$parallel_runs" "$standin_bundle/tarvel --jobs 1 ${devices[*]}" "$standin_bundle/tarvel ${devices[*]}")
unset TARVEL_STANDIN_DELAY_MS
awk -v s="$s" -v p="$p" 'BEGIN { printf "  --jobs 1: %.2f s   default (8 jobs): %.2f s   speed-up %.1fx (%.3f of the serial time)\n", s, p, s / p, p / s }'

echo
echo "3. Peak memory of tarvel itself (maximum resident set, children not counted)"
# getrusage(RUSAGE_SELF) as the process ends, reported by a preloaded library.
cat > "$work/maxrss.c" <<'EOF'
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
static char file[4096];
__attribute__((constructor)) static void start(void) {
  const char* f = getenv("BENCH_MAXRSS_FILE");
  if (f) strncpy(file, f, sizeof file - 1);
  unsetenv("BENCH_MAXRSS_FILE");
  unsetenv("LD_PRELOAD");
}
__attribute__((destructor)) static void report(void) {
  struct rusage u;
  FILE* out;
  if (!file[0] || getrusage(RUSAGE_SELF, &u) != 0 || !(out = fopen(file, "w"))) return;
  fprintf(out, "%ld\n", u.ru_maxrss);
  fclose(out);
}
EOF
cc -shared -fPIC -O2 -o "$work/maxrss.so" "$work/maxrss.c"
peak_kb() {
  BENCH_MAXRSS_FILE="$work/rss" LD_PRELOAD="$work/maxrss.so" "$@" >/dev/null 2>&1 || true
  cat "$work/rss"
}
kb=$(peak_kb "$bundle/tarvel" --replay "$work/drive.trdr")
smartctl_kb=$(BENCH_MAXRSS_FILE="$work/rss" LD_PRELOAD="$work/maxrss.so" "$smartctl" -A - < "$work/drive.trdr" >/dev/null; cat "$work/rss")
awk -v k="$kb" -v s="$smartctl_kb" 'BEGIN { printf "  tarvel --replay FILE: %.1f MB   (one smartctl -A - run: %.1f MB)\n", k / 1024, s / 1024 }'
