#!/usr/bin/env bash
# How much time `tarvel` adds to the smartctl runs it makes: checks N
# replayed drives (N = 1, 8, 64) with `tarvel --replay ...`, and runs the
# very same smartctl command lines alone, and prints the ratio of the two.
# Uses hyperfine when it is installed, else a loop timed with date +%s%N.
#
# Usage: bench/cli_overhead.sh [BUILD_FOLDER] [RUNS]    (default: build, 10)
# The build folder must hold tarvel and tarvel-fakedrive (ninja -C build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-10}
tarvel="$build/Tarvel Menu Item.app/Contents/MacOS/tarvel"
fakedrive="$build/tools/fakedrive/tarvel-fakedrive"
smartctl=/usr/sbin/smartctl
for f in "$tarvel" "$fakedrive" "$smartctl"; do
  [ -x "$f" ] || { echo "missing $f: build first (ninja -C $build)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_STATE_HOME= XDG_DATA_HOME=
mkdir -p "$HOME"

# A bundle with tarvel and the real smartctl, and one that records the
# command lines tarvel gives smartctl for one drive.
bundle="$work/Bench.app/Contents/MacOS"
mkdir -p "$bundle"
ln -f "$tarvel" "$bundle/tarvel" 2>/dev/null || cp "$tarvel" "$bundle/tarvel"
"$fakedrive" -o "$work/drive.trdr" resources/simulated-drives/healthy-hdd.drive
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\nexec %s "$@"\n' "$work/calls" "$smartctl" > "$bundle/smartctl"
chmod +x "$bundle/smartctl"
"$bundle/tarvel" --replay "$work/drive.trdr" >/dev/null || true
ln -sf "$smartctl" "$bundle/smartctl"
echo "smartctl runs per drive: $(wc -l < "$work/calls") ($(paste -sd ',' "$work/calls"))"

# The same runs without tarvel: one smartctl per recorded command line.
{
  echo '#!/bin/sh'
  echo 'for f in "$@"; do'
  while read -r args; do echo "  $smartctl $args < \"\$f\" > /dev/null"; done < "$work/calls"
  echo 'done'
} > "$work/alone.sh"

# Mean seconds of one run of a command line, over $runs runs.
mean_seconds() {
  if command -v hyperfine >/dev/null; then
    hyperfine --warmup 1 --runs "$runs" -N --ignore-failure --export-json "$work/h.json" "$1" >/dev/null 2>&1 ||
      hyperfine --warmup 1 --runs "$runs" --ignore-failure --export-json "$work/h.json" "$1" >/dev/null
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["mean"])' "$work/h.json"
  else
    sh -c "$1" >/dev/null 2>&1 || true
    local start end
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do sh -c "$1" >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    awk -v s="$start" -v e="$end" -v r="$runs" 'BEGIN { printf "%.6f\n", (e - s) / r / 1e9 }'
  fi
}

printf '%6s %12s %12s %8s\n' drives "tarvel (s)" "alone (s)" overhead
for n in 1 8 64; do
  files=()
  for i in $(seq "$n"); do
    cp "$work/drive.trdr" "$work/drive$i.trdr"
    files+=("$work/drive$i.trdr")
  done
  replay_args=""
  for f in "${files[@]}"; do replay_args+=" --replay $f"; done
  t=$(mean_seconds "$bundle/tarvel$replay_args")
  a=$(mean_seconds "sh $work/alone.sh ${files[*]}")
  awk -v n="$n" -v t="$t" -v a="$a" 'BEGIN { printf "%6d %12.4f %12.4f %7.1f%%\n", n, t, a, (t - a) * 100 / a }'
done
