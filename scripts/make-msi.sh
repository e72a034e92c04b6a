#!/usr/bin/env bash
# Makes the Windows installer of one target with wixl from a folder holding
# velmorin.exe, velmorin-cli.exe, velmorin-thumbnails.dll and README.txt:
#   scripts/make-msi.sh FOLDER i686|x86_64 VERSION OUT.msi
# Each target is its own product: its upgrade code and component GUIDs stay
# the same from version to version, so that a newer MSI replaces an older one.
set -euo pipefail
folder="$(cd "$1" && pwd)" arch="$2" version="$3" out="$(realpath -m "$4")"
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ "$arch" = x86_64 ]; then
  wixl_arch=x64 program_files=ProgramFiles64Folder win64=yes
  upgrade=6F1C2A47-3B8E-4D95-9A0B-7E2D4C1F5A63 viewer=2B7D9E4A-1C3F-4A6B-8D2E-5F9A0C7B3E14
  cli=8E4F1A2B-6C9D-4E3A-B7F5-0D2C8A1E9B36 readme=C5A3E9F1-7B2D-4C8E-9A6F-3E1B5D7C2A48
  thumbnails=5B2E8D1F-9A4C-4E7B-8F3D-2C6A1E9B7D50
else
  wixl_arch=x86 program_files=ProgramFilesFolder win64=no
  upgrade=0D8B3F61-5A2C-4E97-8B1D-6C4A9E2F7B35 viewer=93E6A1C4-2D8B-4F5A-A3E7-1B9C6D4F8A22
  cli=4A7C2E9B-8F1D-4B36-9C5A-E2F8B1D7C643 readme=E1B9D5A7-3C6F-4D82-B4A9-7F2E6C1A5D90
  thumbnails=A8D4C2E6-1F7B-4A93-B5E2-9C3D7F1A6E84
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$folder"/velmorin.exe "$folder"/velmorin-cli.exe "$folder"/velmorin-thumbnails.dll "$folder"/README.txt \
  "$top/res/velmorin.ico" "$work/"
(cd "$work" && wixl -a "$wixl_arch" -D Version="$version" -D UpgradeCode="$upgrade" -D ProgramFiles="$program_files" \
  -D Win64="$win64" -D ViewerGuid="$viewer" -D CliGuid="$cli" -D ReadmeGuid="$readme" -D ThumbnailsGuid="$thumbnails" \
  -o "$out" "$top/packaging/windows/velmorin.wxs")
