#!/usr/bin/env bash
# Builds Tarvel (Release) and checks the disks of a simulated machine: five
# drives made from resources/simulated-drives (healthy, failing and failed),
# found through the machine's own "ls /dev" and "df", and read through the
# real smartctl replaying each drive's trace. Prints each drive's state and
# ends with tarvel's exit status.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build -j "$(nproc)" tarvel tarvel_demo_machine >/dev/null

machine=build/demo/Demo.app
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
run() { HOME="$home" XDG_STATE_HOME= XDG_DATA_HOME= "$machine/Contents/MacOS/tarvel" --listings "$machine/listings" "$@"; }

echo "== The demo machine's disks, as 'ls /dev' and 'df' show them:"
grep '^/dev/' "$machine/listings/mounts" | grep -v loop || true
echo
echo "== tarvel"
status=0
run || status=$?
echo "(exit status $status: 0 all passed, 1 failing, 2 failed, 3 could not check)"
echo
echo "== tarvel --json (first drive)"
run --json | sed -n '1,40p'
echo "   ..."
echo
echo "== tarvel --replay of a saved raw-data file ($home/.local/state/Tarvel/sdd.trdr)"
run --replay "$home/.local/state/Tarvel/sdd.trdr" || true
exit 0
