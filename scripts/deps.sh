#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if missing.
# Installed without recommends, so each line says which part needs it; what
# CMake finds must come in through these packages' hard dependencies
# (check with `apt-cache depends --no-recommends PACKAGE`).
# Usage: scripts/deps.sh [--tests] [--package]
#   (none)     building and running Tarvel: scripts/demo.sh
#   --tests    also the tools the tests start: scripts/test.sh
#   --package  also what builds and checks the Debian package: scripts/package.sh
set -euo pipefail
packages=(
  build-essential     # compiler and libc headers
  cmake ninja-build   # configure and build
  pkg-config          # CMake finds libplist and libsecret through it
  smartmontools       # smartctl: read drives, replay simulated ones
  qt6-base-dev        # Qt Core, Gui, Widgets, DBus, Network, Test: tray, notify, updater
  qt6-tools-dev       # Qt UiTools: the crash report window's .ui file
  libqt6opengl6-dev   # Qt6OpenGLWidgets' CMake files, which Qt6UiTools requires
  libplist-dev        # property lists: preference domains, the drive list, Info.plist
  nlohmann-json3-dev  # tarvel --json (header only)
  libsecret-1-dev     # keychain items through the Secret Service
  sendemail           # the e-mail report's mailer
  python3             # the demo's JSON output
)
for option in "$@"; do
  case $option in
    --tests) packages+=(
      libgtest-dev        # unit tests (GoogleTest)
      clang               # scripts/fuzz.sh: libFuzzer targets
      libclang-rt-14-dev  # libFuzzer and sanitizer runtimes for clang
      dbus                # dbus-run-session: a private session bus per test
      dbus-x11            # the session-bus provider gnome-keyring needs, without a systemd user session
      xvfb                # tray tests: an X server without a screen
      gnome-keyring       # tests: a real Secret Service
      libsecret-tools     # tests: secret-tool checks the keychain items
      python3-aiosmtpd    # tests: the local SMTP sink the mail goes to
      libcap2-bin         # setcap/getcap: the smartctl gate's capabilities
      util-linux mount    # gate tests: unshare, setpriv, addpart (util-linux) and losetup (mount)
      systemd             # tests: systemd-analyze verify of tarvel.service and .timer (nothing is started;
                          # a container without systemd running is fine)
      prometheus          # tests: promtool lints the metrics and runs the alert rules' tests. Where systemd
                          # runs, Debian enables and starts its server (port 9090); the tests never use it
      prometheus-node-exporter  # tests: a node_exporter of their own serves the metrics file (also
                                # enabled and started where systemd runs, port 9100; unused by the tests)
    ) ;;
    --package) packages+=(
      dpkg-dev          # dpkg-shlibdeps: the package's library dependencies
      file              # CPack picks the programs to give dpkg-shlibdeps with it
      lintian           # checks the package against Debian's policy
    ) ;;
    *) echo "deps.sh: unknown option $option" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
