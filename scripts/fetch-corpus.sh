#!/usr/bin/env bash
# Fetches real MD2 models and PCX images, made outside this project, from
# Debian's archive into a cache outside the repository, and prints the folder
# that holds them (md2/ and pcx/). Nothing fetched is ever committed.
set -euo pipefail

cache="${VELMORIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorin}"
corpus="$cache/corpus"
packages=(assimp-testmodels mazeofgalious-data pinball-data)

if [ ! -f "$corpus/complete" ]; then
  mkdir -p "$cache/debs"
  cd "$cache/debs"
  download() { apt-get download -o APT::Sandbox::User=root "${packages[@]}" >/dev/null; }
  download 2>/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get update -qq; download; }

  rm -rf "$cache/extracted" "$corpus"
  mkdir -p "$cache/extracted" "$corpus/md2" "$corpus/pcx"
  for package in "${packages[@]}"; do
    dpkg-deb -x "$(ls "$package"_*.deb | head -n 1)" "$cache/extracted/$package"
  done
  # Flat names that keep where each file came from.
  cd "$cache/extracted"
  find . -type f -iname '*.md2' | while read -r file; do
    cp "$file" "$corpus/md2/$(echo "${file#./}" | tr '/' '_')"
  done
  find . -type f -iname '*.pcx' | while read -r file; do
    cp "$file" "$corpus/pcx/$(echo "${file#./}" | tr '/' '_')"
  done
  touch "$corpus/complete"
fi
echo "$corpus"
