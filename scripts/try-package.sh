#!/usr/bin/env bash
# Tries the Debian package as a user would, in a throwaway copy of this
# system: installs it with apt, runs `tarvel --help`, the demo machine, and a
# drive through the installed smartctl gate as root and as a plain user,
# verifies the systemd units, purges the package and checks that nothing of
# it is left. The copy is an overlay over / in a private mount namespace,
# kept in memory and gone at the end: this machine is left as it was.
# Needs root, and apt's access to Debian's archive for the dependencies.
#
# Usage: scripts/try-package.sh [PACKAGE.deb]   (default: scripts/package.sh's)
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
repo=$(pwd)

step() { printf '== %s\n' "$*"; }
fail() { printf 'try-package: %s\n' "$*" >&2; exit 1; }

# Runs in the throwaway system (chroot).
try_inside() {
  local deb=$1 fakedrive=$2 capabilities=$3
  local gate="/usr/lib/tarvel/Tarvel Menu Item.app/Contents/MacOS/smartctl"
  set -eu
  export DEBIAN_FRONTEND=noninteractive LANG=C LC_ALL=C
  # Names of everything the package or its programs made (this test's own
  # files are in /tmp, another file system). man's cache of formatted pages
  # is man's: it keeps what anyone ever read.
  traces() { find /etc /usr /var /opt /srv /root /home -xdev -path /var/cache/man -prune -o -iname '*tarvel*' -print \
               2>/dev/null | sort; }
  traces > /tmp/before

  step "apt install $(basename "$deb")"
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "$deb" > /tmp/apt-install.log 2>&1 ||
    { cat /tmp/apt-install.log; fail "apt could not install the package"; }
  dpkg -L tarvel > /tmp/files

  step "the gate's capabilities"
  got=$(getcap "$gate" | sed 's/.* //; s/=ep$//' | tr ',' '\n' | sort | paste -sd,)
  want=$(printf '%s' "$capabilities" | tr ',' '\n' | sort | paste -sd,)
  [ "$got" = "$want" ] || fail "the gate has '$got', the build says '$want'"
  echo "$got"

  step "tarvel --help, tarvel-menu-item --version, man pages"
  tarvel --help > /tmp/help
  head -3 /tmp/help
  tarvel --version
  QT_QPA_PLATFORM=offscreen tarvel-menu-item --version
  man -w tarvel tarvel-menu-item

  step "the demo machine, with the installed tarvel"
  sh "$repo/tests/simulated-machine/make-machine.sh" "$repo/resources/demo-machine" /tmp/Demo.app \
    "/usr/lib/tarvel/Tarvel Menu Item.app/Contents/MacOS/tarvel" "$fakedrive"
  status=0
  HOME=/tmp/home /tmp/Demo.app/Contents/MacOS/tarvel --listings /tmp/Demo.app/listings || status=$?
  [ "$status" -eq 2 ] || fail "the demo machine's check exited with $status, not 2 (a failed drive)"

  step "a replayed drive through the installed gate and smartctl, as root and as nobody"
  chmod 755 /tmp/Demo.app /tmp/Demo.app/Contents /tmp/Demo.app/Contents/MacOS /tmp/Demo.app/Contents/MacOS/traces
  for user in root nobody; do
    mkdir -p "/tmp/home-$user"
    chown "$user" "/tmp/home-$user"
    status=0
    setpriv --reuid="$user" --regid=nogroup --clear-groups env HOME="/tmp/home-$user" \
      tarvel --replay /tmp/Demo.app/Contents/MacOS/traces/sdc.trdr > "/tmp/replay-$user" 2>&1 || status=$?
    [ "$status" -eq 1 ] || { cat "/tmp/replay-$user"; fail "the failing replayed drive gave $status as $user, not 1"; }
    echo "$user: $(head -1 "/tmp/replay-$user")"
  done

  step "systemd-analyze verify"
  systemd-analyze verify /usr/lib/systemd/system/tarvel.service /usr/lib/systemd/system/tarvel.timer

  step "what the hourly check writes, then apt purge"
  # The service's own files, written as it would (its environment, node_exporter's folder).
  mkdir -p /var/lib/prometheus/node-exporter
  status=0
  env HOME=/var/lib/tarvel XDG_CONFIG_HOME=/var/lib/tarvel/config XDG_STATE_HOME=/var/lib/tarvel/state \
    XDG_DATA_HOME=/var/lib/tarvel/data /tmp/Demo.app/Contents/MacOS/tarvel --listings /tmp/Demo.app/listings \
    --prometheus /var/lib/prometheus/node-exporter/tarvel.prom > /dev/null || status=$?
  [ -s /var/lib/prometheus/node-exporter/tarvel.prom ] || fail "no metrics were written (exit status $status)"
  [ -d /var/lib/tarvel/config ] || fail "the check kept no preferences in /var/lib/tarvel"
  apt-get purge -y -qq tarvel > /tmp/apt-purge.log 2>&1 || { cat /tmp/apt-purge.log; fail "apt could not purge"; }

  step "nothing left"
  left=""
  while IFS= read -r path; do
    if [ -L "$path" ] || [ -f "$path" ]; then
      left+="$path"$'\n'
    elif [ -d "$path" ] && [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then
      left+="$path (an empty folder)"$'\n'
    fi
  done < /tmp/files
  traces > /tmp/after
  left+=$(comm -13 /tmp/before /tmp/after)
  [ -z "$left" ] || fail "left after purge:"$'\n'"$left"
  echo "nothing"
}

if [ "${1:-}" = --inside ]; then
  shift
  root=$1
  shift
  # In the private mount namespace: a writable copy of / in memory.
  mount -t tmpfs tarvel-try "$root"
  mkdir "$root/upper" "$root/work" "$root/system"
  mount -t overlay overlay -o "lowerdir=/,upperdir=$root/upper,workdir=$root/work" "$root/system"
  system=$root/system
  mount --rbind /dev "$system/dev"
  mount -t proc proc "$system/proc"
  mount --rbind /sys "$system/sys"
  mount -t tmpfs tmp "$system/tmp"
  mount -t tmpfs run "$system/run"
  # The name server of this machine, whatever /etc/resolv.conf points into.
  resolv=$(cat /etc/resolv.conf)
  rm -f "$system/etc/resolv.conf"
  printf '%s\n' "$resolv" > "$system/etc/resolv.conf"
  # As in any chroot: packages' services are not started.
  printf '#!/bin/sh\nexit 101\n' > "$system/usr/sbin/policy-rc.d"
  chmod 755 "$system/usr/sbin/policy-rc.d"
  cp "$1" "$system/tmp/"
  deb=/tmp/$(basename "$1")
  chroot "$system" /bin/bash -c "$(declare -f step fail try_inside); repo='$repo'; try_inside '$deb' '$2' '$3'"
  exit
fi

[ "$(id -u)" -eq 0 ] || fail "needs root (a private mount namespace and an overlay over /); try sudo $0"
deb=${1:-}
if [ -z "$deb" ]; then
  [ -n "$(ls build/package/tarvel_*.deb 2>/dev/null)" ] || scripts/package.sh
  deb=$(ls build/package/tarvel_*.deb)
fi
deb=$(realpath "$deb")
# The demo machine's drives are made by the development tool of the build tree.
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja >/dev/null
ninja -C build tarvel-fakedrive >/dev/null
capabilities=$(cat build-package/packaging/gate-capabilities 2>/dev/null || cat build/packaging/gate-capabilities)
root=$(mktemp -d /tmp/tarvel-try.XXXXXX)
trap 'rmdir "$root"' EXIT
unshare --mount --propagation private -- "$self" --inside "$root" "$deb" "$repo/build/tools/fakedrive/tarvel-fakedrive" \
  "$capabilities"
echo "The package installs, runs and purges cleanly; this machine was not changed."
