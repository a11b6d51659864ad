#!/usr/bin/env bash
# Builds the Debian package build/package/tarvel_<version>_<arch>.deb (CPack,
# from the install rules, installing under /usr) and checks it with lintian.
# Install it with: sudo apt install ./build/package/tarvel_<version>_<arch>.deb
# scripts/try-package.sh installs, runs and purges it in a throwaway system.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --package
# Its own build, with Debian's compiler and linker flags and all their
# hardening: the gate carries capabilities.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=None -DTARVEL_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
# Only what the package holds; the tests are not needed for it.
ninja -C build-package -j "$(nproc)" tarvel tarvel-menu-item tarvel_smartctl_gate tarvel_resources \
  tarvel_man_pages tarvel_package_files
rm -f build/package/tarvel_*.deb
mkdir -p build/package
(cd build-package && cpack -G DEB -B "$OLDPWD/build/package" >/dev/null)
rm -rf build/package/_CPack_Packages
deb=$(ls build/package/tarvel_*.deb)
status=0
lintian --fail-on error "$deb" > build/package/lintian.txt 2>&1 || status=$?
cat build/package/lintian.txt
[ "$status" -eq 0 ] || { echo "lintian found errors in $deb" >&2; exit 1; }
echo "Built $deb"
