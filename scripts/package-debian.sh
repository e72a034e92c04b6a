#!/usr/bin/env bash
# Builds the viewer and velmorin-cli alone (no tests, no benchmark) for /usr,
# with Debian's hardening flags, and packs them with CPack:
#   scripts/package-debian.sh   ->  build/package/packages/velmorin_<version>_amd64.deb
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build/package"
# As Debian's own packages are built: dpkg-buildflags' flags (all hardening
# on), no build type's.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
"$top/scripts/build.sh" "$build" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_BUILD_TYPE=None -DVELMORIN_WERROR=OFF -DBUILD_TESTING=OFF -DVELMORIN_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
rm -f "$build"/packages/velmorin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/packages/velmorin_*_amd64.deb
