#!/usr/bin/env bash
# Builds both Windows targets and packs each as a zip for Windows users:
#   scripts/package-windows.sh   ->  build/packages/velmorin-<version>-windows-x86.zip, -x64.zip
#                                    and the installers velmorin-<version>-windows-x86.msi, -x64.msi
# Each holds a folder with the stripped velmorin.exe, velmorin-cli.exe and
# README.txt; velmorin-cli.exe's libraries are cross-built once into the cache.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
out="$top/build/packages"
mkdir -p "$out"
for arch in i686 x86_64; do
  build="$top/build/windows-$arch"
  "$top/scripts/build.sh" "$build" -DVELMORIN_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchains/mingw-$arch.cmake" \
    -DVELMORIN_WINDOWS_LIBRARIES="$("$top/scripts/windows-libraries.sh" "$arch")"
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
  name="velmorin-$version-windows-$([ "$arch" = i686 ] && echo x86 || echo x64)"
  stage="$(mktemp -d)"
  mkdir "$stage/$name"
  "$arch-w64-mingw32-strip" -o "$stage/$name/velmorin.exe" "$build/src/shell/velmorin.exe"
  "$arch-w64-mingw32-strip" -o "$stage/$name/velmorin-cli.exe" "$build/src/cli/velmorin-cli.exe"
  sed 's/$/\r/' "$top/res/windows/README.txt" >"$stage/$name/README.txt"  # Windows line ends
  rm -f "$out/$name.zip"
  (cd "$stage" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")
  # The installer also registers Explorer's thumbnail handler, which only an installer can.
  "$arch-w64-mingw32-strip" -o "$stage/$name/velmorin-thumbnails.dll" "$build/src/explorer/velmorin-thumbnails.dll"
  "$top/scripts/make-msi.sh" "$stage/$name" "$arch" "$version" "$out/$name.msi"
  rm -rf "$stage"
  echo "$out/$name.zip: $(stat -c %s "$out/$name.zip") bytes, $name.msi: $(stat -c %s "$out/$name.msi") bytes"
done
