#!/usr/bin/env bash
# The libraries velmorin-cli.exe links statically that Debian ships only for
# Linux, cross-built once with mingw-w64 from Debian's own source packages:
#   scripts/windows-libraries.sh ARCH    (i686 or x86_64; prints the prefix)
# The header-only ones (nlohmann-json, tinygltf, stb) are copied from their
# Debian packages, and tinygltf's implementation built from them, as Debian
# builds its shared library.
# libpng and giflib are fetched with `apt-get source` through an apt state of
# their own in the cache (a deb-src entry for the archive and release this
# machine uses; the machine's apt configuration is not touched), built into
# CACHE/mingw/ARCH and reused. zlib is Debian's libz-mingw-w64-dev.
set -euo pipefail
arch="$1"
top="$(cd "$(dirname "$0")/.." && pwd)"
cache="${VELMORIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorin}"
prefix="$cache/mingw/$arch"
if [ -f "$prefix/.built" ]; then echo "$prefix"; exit 0; fi

# Debian's sources, once for both targets.
sources="$cache/mingw/sources"
if [ ! -f "$sources/.fetched" ]; then
  apt_state="$cache/mingw/apt"
  mkdir -p "$apt_state/lists/partial" "$apt_state/archives/partial" "$apt_state/parts" "$sources"
  uri="$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)"
  [ -n "$uri" ] || uri="$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list)"
  release="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  echo "deb-src $uri $release main" >"$apt_state/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$apt_state/sources.list" -o "Dir::Etc::SourceParts=$apt_state/parts"
               -o "Dir::State::Lists=$apt_state/lists" -o "Dir::Cache::Archives=$apt_state/archives" -qq)
  apt-get "${apt_options[@]}" update >&2
  (cd "$sources" && apt-get "${apt_options[@]}" source libpng1.6 giflib >&2)
  touch "$sources/.fetched"
fi

host="$arch-w64-mingw32"
mkdir -p "$prefix/lib" "$prefix/include"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# libpng with its own CMake build, static, against mingw's zlib.
cmake -S "$(ls -d "$sources"/libpng1.6-*/ | head -n 1)" -B "$work/png" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchains/mingw-$arch.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
  -DZLIB_INCLUDE_DIR="/usr/$host/include" -DZLIB_LIBRARY="/usr/$host/lib/libz.a" >&2
cmake --build "$work/png" --target install >&2

# giflib's library is its few C files.
gif="$(ls -d "$sources"/giflib-*/ | head -n 1)"
for file in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
  [ -f "$gif/$file.c" ] && "$host-gcc" -O2 -c "$gif/$file.c" -I"$gif" -o "$work/$file.o"
done
"$host-ar" rcs "$prefix/lib/libgif.a" "$work"/*.o
cp "$gif/gif_lib.h" "$prefix/include/"

# tinygltf with Debian's JSON and stb, as one library.
cp -r /usr/include/nlohmann /usr/include/tiny_gltf.h /usr/include/stb/stb_image.h /usr/include/stb/stb_image_write.h \
  "$prefix/include/"
printf '#define TINYGLTF_IMPLEMENTATION\n#define STB_IMAGE_IMPLEMENTATION\n#define STB_IMAGE_WRITE_IMPLEMENTATION\n#include <tiny_gltf.h>\n' \
  >"$work/tiny_gltf.cpp"
"$host-g++" -std=c++17 -O2 -c "$work/tiny_gltf.cpp" -I"$prefix/include" -o "$work/tiny_gltf.o"
"$host-ar" rcs "$prefix/lib/libtinygltf.a" "$work/tiny_gltf.o"
touch "$prefix/.built"
echo "$prefix"
