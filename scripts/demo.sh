#!/usr/bin/env bash
# Builds Tarvel and checks the disks of a simulated machine: five ATA
# drives made from resources/simulated-drives (healthy, failing and failed),
# read through the real smartctl replaying each drive's trace, and a SAS disk
# and two NVMe drives answered from captured smartctl answers, all found
# through the machine's own "ls /dev" and "df". Prints each drive's state and
# ends with tarvel's exit status.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# The tests are not built, so none of their tools are needed.
cmake -S . -B build -G Ninja -DTARVEL_TESTS=OFF >/dev/null
ninja -C build -j "$(nproc)" tarvel tarvel_demo_machine >/dev/null

machine=build/demo/Demo.app
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
run() { HOME="$home" XDG_STATE_HOME= XDG_DATA_HOME= XDG_CONFIG_HOME= "$machine/Contents/MacOS/tarvel" --listings "$machine/listings" "$@"; }

echo "== The demo machine's disks, as 'ls /dev' and 'df' show them:"
grep '^/dev/' "$machine/listings/mounts" | grep -v loop || true
echo
echo "== tarvel"
status=0
run || status=$?
echo "(exit status $status: 0 all passed, 1 failing, 2 failed, 3 could not check)"
echo
echo "== tarvel --json, as a script reads it"
run --json > "$home/check.json" || true
python3 - "$home/check.json" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
print(f"status {doc['status']} ({doc['summary']})")
for d in doc["drives"]:
    model = d["identity"]["model"] or "-"
    print(f"  {d['location']:9} {d['state']:8} {model:28} {d['title']}")
PY
echo
echo "== tarvel --replay of a saved raw-data file ($home/.local/state/Tarvel/sdd.trdr)"
run --replay "$home/.local/state/Tarvel/sdd.trdr" || true
exit 0
