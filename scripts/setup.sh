#!/usr/bin/env bash
# Installs, through apt-get, the Debian packages that building and testing
# Velmorin need and that are not installed yet, and any named as arguments.
# Safe to run any number of times.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3  # build
  g++-mingw-w64-x86-64 g++-mingw-w64-i686   # Windows builds; the layer's headers are checked against theirs
  libz-mingw-w64-dev                        # velmorin-cli.exe's zlib (libpng and giflib: scripts/windows-libraries.sh)
  wixl                                      # the Windows installers
  g++-multilib qemu-user-static             # the 32-bit arithmetic, built with -m32 and run under emulation
  clang                                # libFuzzer targets, with the runtime that matches it (below)
  libgtest-dev                         # unit tests
  libassimp-dev imagemagick            # independent readers the tests compare with
  libegl-dev libgl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri  # GL, headless through EGL
  libfltk1.3-dev libgtk2.0-0                # real windows; GTK gives FLTK its file chooser
  fonts-liberation2                         # the dialogs' stand-in for MS Sans Serif
  xvfb xauth xdotool xclip x11-utils openbox wmctrl  # the window tests, with and without a window manager
  wine64                                    # the Windows build's smoke test
  dpkg-dev file lintian desktop-file-utils man-db  # the Debian package: made, checked, installed
  libpng-dev nlohmann-json3-dev             # velmorin-cli export: the skin as PNG, JSON
  libgif-dev                                # velmorin-cli render: animated GIF previews
  libtinygltf-dev                           # velmorin-cli import: glTF read by a library
  shared-mime-info libglib2.0-bin           # the MIME type checked as file managers see it (GIO)
  f3d                                       # a glTF reader of others that the export tests render with
  assimp-utils                              # assimp's command, reading the MD2 files import writes
  strace time                               # hostile files: what the CLI opens, and its peak memory
  tumbler dbus bubblewrap bash-completion   # thumbnails as Thunar (and GNOME's sandbox) make them; completion
  libbenchmark-dev libsdl2-image-dev libstb-dev  # the benchmark and what it compares with
)

packages+=("$@")
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
updated=false

install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if ! $updated; then
    $sudo apt-get update -qq
    updated=true
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${packages[@]}"
# libFuzzer's runtime is packaged per clang version: take the installed clang's.
clang_major="$(clang -dumpversion | cut -d. -f1)"
install_missing "libclang-rt-$clang_major-dev"
# Node.js for the Khronos glTF-Validator: Debian's, unless the machine has one.
command -v node >/dev/null && command -v npm >/dev/null || install_missing nodejs npm
# The validator, and three.js (which evaluates the glTF animations import
# is checked against), from the npm registry, into the cache outside the repository.
npm_prefix="${VELMORIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorin}/npm"
for module in gltf-validator@2.0.0-dev.3.10 three@0.160.0; do
  if [ ! -f "$npm_prefix/node_modules/${module%@*}/package.json" ]; then
    echo "Installing $module into $npm_prefix"
    mkdir -p "$npm_prefix"
    npm install --silent --no-audit --no-fund --prefix "$npm_prefix" "$module" >/dev/null
  fi
done
