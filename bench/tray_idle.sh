#!/usr/bin/env bash
# What the tray monitor costs while it waits: its memory after the first
# check of the demo machine, and how often its threads wake up in the
# following minute, read from /proc. It runs on Xvfb and a private session
# bus, without a panel (the monitor checks and reports all the same).
#
# Usage: bench/tray_idle.sh [BUILD_FOLDER] [SECONDS]    (default: build, 60)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-60}
demo="$build/demo/Demo.app"
tray="$build/Tarvel Menu Item.app/Contents/MacOS/tarvel-menu-item"
for f in "$demo/Contents/MacOS/tarvel" "$tray" /usr/bin/Xvfb /usr/bin/dbus-run-session; do
  [ -e "$f" ] || { echo "missing $f: build first (ninja -C $build)" >&2; exit 2; }
done

work=$(mktemp -d)
machine="$work/Demo.app"
cp -a "$demo" "$machine"
cp "$tray" "$machine/Contents/MacOS/tarvel-menu-item"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
Xvfb -displayfd 3 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done

export DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
export XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" XDG_STATE_HOME="$work/home/.local/state"
dbus-run-session -- sh -c '
  "$1/Contents/MacOS/tarvel-menu-item" --listings "$1/listings" >"$2/tray.log" 2>&1 &
  pid=$!
  # The first check is over once the drive list is written.
  for _ in $(seq 600); do [ -e "$XDG_DATA_HOME/Tarvel/DrivesList.plist" ] && break; sleep 0.1; done
  sleep 2
  switches() { cat /proc/$pid/task/*/status | awk "/ctxt_switches/ { n += \$2 } END { print n }"; }
  field() { awk -v k="$1:" "\$1 == k { print \$2 }" "$2"; }
  before=$(switches)
  rss=$(field VmRSS /proc/$pid/status) pss=$(field Pss /proc/$pid/smaps_rollup) threads=$(field Threads /proc/$pid/status)
  sleep "$3"
  echo "after the first check: RSS $rss kB, PSS $pss kB, $threads threads; context switches in the next $3 s: $(( $(switches) - before ))"
  kill $pid; wait $pid
' sh "$machine" "$work" "$seconds"
