#!/usr/bin/env bash
# The 64-bit installer under Wine: installed quietly, its files, Start menu
# entry and .md2 type are where Windows keeps them; the installed
# velmorin-cli.exe agrees with the Linux command (cli_under_wine.sh); a newer
# version replaces it; uninstalled, nothing of it is left.
#
#   msi_under_wine.sh VELMORIN.msi VELMORIN_CLI SAMPLE_DIR CHARACTER.glb
set -euo pipefail
msi="$(realpath "$1")" cli="$(realpath "$2")" sample="$3" character="$4"
top="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
wine=/usr/lib/wine/wine64
"$wine" wineboot -i >/dev/null 2>&1 || true
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
installed="$WINEPREFIX/drive_c/Program Files/Velmorin"
shortcuts() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Velmorin.lnk'; }  # all users' or the installer's
registry() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
products() {  # the Velmorin entries of Add or Remove Programs, as their versions
  registry 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s |
    awk '/^HKEY/ { name = ""; version = "" } /DisplayName/ { name = $NF } /DisplayVersion/ { version = $NF }
      /^$/ && name == "Velmorin" { print version; name = "" }'
}

"$wine" msiexec /i "$msi" /qn || fail "msiexec /i: exit $?"
for file in velmorin.exe velmorin-cli.exe README.txt; do [ -s "$installed/$file" ] || fail "no $file installed"; done
[ -n "$(shortcuts)" ] || fail "no Start menu entry"
registry 'HKLM\Software\Classes\.md2' | grep -q 'REG_SZ *Velmorin.md2$' || fail ".md2 is not Velmorin.md2's"
registry 'HKLM\Software\Classes\Velmorin.md2' | grep -q 'REG_SZ *Quake 2 MD2 model$' || fail "the type's name"
registry 'HKLM\Software\Classes\Velmorin.md2\DefaultIcon' | grep -q 'Velmorin\\velmorin.exe,0$' || fail "the type's icon"
"$top/tests/windows/cli_under_wine.sh" "$installed/velmorin-cli.exe" "$cli" "$sample" "$character" ||
  fail "the installed velmorin-cli.exe"

# A newer version over it: one product, the newer.
mkdir "$work/newer"
cp "$installed"/* "$work/newer/"
"$top/scripts/make-msi.sh" "$work/newer" x86_64 99.0.0 "$work/newer.msi" 2>/dev/null
"$wine" msiexec /i "$work/newer.msi" /qn || fail "msiexec /i of a newer version: exit $?"
[ "$(products | tr '\n' ' ')" = "99.0.0 " ] || fail "after the upgrade the installed versions are: $(products | tr '\n' ' ')"

"$wine" msiexec /x "$work/newer.msi" /qn || fail "msiexec /x: exit $?"
[ ! -e "$installed" ] || fail "left after uninstalling: $(ls -A "$installed")"
[ -z "$(shortcuts)" ] || fail "the Start menu entry was left"
for key in 'HKLM\Software\Classes\.md2' 'HKLM\Software\Classes\Velmorin.md2'; do
  registry "$key" | grep -q . && fail "$key was left"
done
[ -z "$(products)" ] || fail "still in Add or Remove Programs: $(products | tr '\n' ' ')"

[ "$failures" = 0 ] && echo "the installer installs, upgrades and uninstalls cleanly" && exit 0
exit 1
