#!/usr/bin/env bash
# The 64-bit installer under Wine: installed quietly, its files, Start menu
# entry and .md2 type are where Windows keeps them; the installed
# velmorin-cli.exe agrees with the Linux command (cli_under_wine.sh), and the
# thumbnail handler, loaded through COM as Explorer loads it, with its
# thumbnails; a newer version replaces it; uninstalled, nothing is left. The
# 32-bit installer installs and uninstalls as cleanly (its programs are not
# run: this machine runs no 32-bit code).
#
#   msi_under_wine.sh VELMORIN-x64.msi VELMORIN_CLI SAMPLE_DIR CHARACTER.glb VELMORIN-x86.msi
#   (on an X server: tests/x11/with_xvfb.sh)
set -euo pipefail
msi="$(realpath "$1")" cli="$(realpath "$2")" sample="$3" character="$4" msi32="$(realpath "$5")"
top="$(cd "$(dirname "$0")/../.." && pwd)"
source "$(dirname "$0")/wine_prefix.sh"
installed="$WINEPREFIX/drive_c/Program Files/Velmorin"
shortcuts() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Velmorin.lnk'; }  # all users' or the installer's
registry() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
products() {  # products [/reg:32]: the Velmorin entries of Add or Remove Programs, as their versions
  registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s "$@" |
    awk '/^HKEY/ { name = ""; version = "" } /DisplayName/ { name = $NF } /DisplayVersion/ { version = $NF }
      /^$/ && name == "Velmorin" { print version; name = "" }'
}

"$wine" msiexec /i "$msi" /qn || fail "msiexec /i: exit $?"
for file in velmorin.exe velmorin-cli.exe velmorin-thumbnails.dll README.txt; do [ -s "$installed/$file" ] || fail "no $file installed"; done
[ -n "$(shortcuts)" ] || fail "no Start menu entry"
registry 'HKLM\Software\Classes\.md2' | grep -q 'REG_SZ *Velmorin.md2$' || fail ".md2 is not Velmorin.md2's"
registry 'HKLM\Software\Classes\Velmorin.md2' | grep -q 'REG_SZ *Quake 2 MD2 model$' || fail "the type's name"
registry 'HKLM\Software\Classes\Velmorin.md2\DefaultIcon' | grep -q 'Velmorin\\velmorin.exe,0$' || fail "the type's icon"
"$top/tests/windows/cli_under_wine.sh" "$installed/velmorin-cli.exe" "$cli" "$sample" "$character" ||
  fail "the installed velmorin-cli.exe"

# Explorer's way to a thumbnail, through COM (a test program built here):
# the model alone and its skin give the Linux thumbnailer's pixels (the
# model grey, premultiplied as Explorer takes them); a file of text none.
x86_64-w64-mingw32-g++ -O2 -std=c++17 -municode -static "$top/tests/windows/thumbnail_through_com.cpp" \
  -o "$work/through_com.exe" -lole32 -lshlwapi -luuid -lgdi32
mkdir "$work/alone"
cp "$sample/lantern.md2" "$sample/lantern.pcx" "$work/alone/"
mv "$work/alone/lantern.pcx" "$work/skin.pcx"  # the model alone: its thumbnail is grey
premultiplied() {  # premultiplied PICTURE: its RGBA bytes, each colour times alpha, as the handler rounds it
  convert "$1" -depth 8 rgba:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
out = bytearray(data)
for p in range(0, len(data), 4):
    for c in range(3):
        out[p + c] = (data[p + c] * data[p + 3] + 127) // 255
sys.stdout.buffer.write(out)'
}
for input in alone/lantern.md2 skin.pcx; do
  "$cli" thumbnail "$work/$input" "$work/linux.png" 256
  timing="$(cd "$work" && "$wine" through_com.exe "$input" 256 com.pam | tr -d '\r')" || fail "no thumbnail of $input through COM"
  echo "$input through COM under Wine: $timing"
  cmp -s <(premultiplied "$work/linux.png") <(tail -c "$(identify -format '%[fx:w*h*4]' "$work/linux.png")" "$work/com.pam") ||
    fail "$input: the COM thumbnail's pixels differ from velmorin-cli's"
done
(cd "$work" && "$wine" through_com.exe "$(basename "$msi")" 256 none.pam >/dev/null 2>&1) && fail "a thumbnail of an MSI file"
cp "$installed/README.txt" "$work/text.md2"
(cd "$work" && "$wine" through_com.exe text.md2 256 none.pam >/dev/null) && fail "a thumbnail of a text file"

# A newer version over it: one product, the newer.
mkdir "$work/newer"
cp "$installed"/* "$work/newer/"
"$top/scripts/make-msi.sh" "$work/newer" x86_64 99.0.0 "$work/newer.msi" 2>/dev/null
"$wine" msiexec /i "$work/newer.msi" /qn || fail "msiexec /i of a newer version: exit $?"
[ "$(products | tr '\n' ' ')" = "99.0.0 " ] || fail "after the upgrade the installed versions are: $(products | tr '\n' ' ')"

nothing_left() {  # nothing_left FOLDER [/reg:32]: after an uninstall, no file, shortcut, key or entry
  local folder="$1"; shift
  [ ! -e "$folder" ] || fail "left after uninstalling: $(ls -A "$folder")"
  [ -z "$(shortcuts)" ] || fail "the Start menu entry was left"
  for key in 'HKLM\Software\Classes\.md2' 'HKLM\Software\Classes\Velmorin.md2' \
    'HKLM\Software\Classes\CLSID\{7D3C9B52-4E1A-4F86-A2D7-93B5E0C18F64}' 'HKLM\Software\Classes\.pcx'; do
    registry "$key" "$@" | grep -q . && fail "$key $* was left"
  done
  [ -z "$(products "$@")" ] || fail "still in Add or Remove Programs: $(products "$@" | tr '\n' ' ')"
}
"$wine" msiexec /x "$work/newer.msi" /qn || fail "msiexec /x: exit $?"
nothing_left "$installed"

# The 32-bit installer: into Program Files (x86), the handler registered in
# the registry's 32-bit view.
installed="$WINEPREFIX/drive_c/Program Files (x86)/Velmorin"
"$wine" msiexec /i "$msi32" /qn || fail "msiexec /i of the 32-bit installer: exit $?"
for file in velmorin.exe velmorin-cli.exe velmorin-thumbnails.dll README.txt; do [ -s "$installed/$file" ] || fail "no 32-bit $file installed"; done
[ -n "$(shortcuts)" ] || fail "no Start menu entry for the 32-bit installer"
registry 'HKLM\Software\Classes\CLSID\{7D3C9B52-4E1A-4F86-A2D7-93B5E0C18F64}\InprocServer32' /reg:32 |
  grep -q 'Program Files (x86)\\Velmorin\\velmorin-thumbnails.dll$' || fail "the 32-bit thumbnail handler is not registered"
[ -n "$(products /reg:32)" ] || fail "the 32-bit installer is not in Add or Remove Programs"
"$wine" msiexec /x "$msi32" /qn || fail "msiexec /x of the 32-bit installer: exit $?"
nothing_left "$installed" /reg:32

[ "$failures" = 0 ] && echo "the installers install, upgrade and uninstall cleanly" && exit 0
exit 1
