#!/usr/bin/env bash
# Static checks of the 32-bit Windows build, which cannot run here:
#   check_i686_exe.sh BUILD_FOLDER
# velmorin.exe is PE32 for i386 with the GUI subsystem (velmorin-cli.exe
# with the console's, velmorin-thumbnails.dll exporting COM's entry points),
# each imports only DLLs that every Windows has, carries the program's resources, its window and
# dialog procedures are stdcall, and the program's own object files hold no
# x87 arithmetic (the x87 unit would round otherwise than the 64-bit build).
set -euo pipefail
build="$1"
exe="$build/src/shell/velmorin.exe"
objdump=i686-w64-mingw32-objdump
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

headers="$($objdump -p "$exe")"
grep -q "file format pei-i386" <<<"$headers" || fail "not a PE file for i386"
grep -qP "^Magic\s+010b\s+\(PE32\)" <<<"$headers" || fail "not PE32"
grep -qP "^Subsystem\s+00000002\s+\(Windows GUI\)" <<<"$headers" || fail "not the GUI subsystem"

allowed="KERNEL32 USER32 GDI32 OPENGL32 GLU32 COMCTL32 COMDLG32 MSVCRT"
imports_allowed() {  # imports_allowed EXE HEADERS
  while read -r dll; do
    name="$(tr '[:lower:]' '[:upper:]' <<<"${dll%.*}")"
    grep -qw "$name" <<<"$allowed" || fail "$1 imports $dll"
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$2")
}
imports_allowed velmorin.exe "$headers"

# velmorin-cli.exe: PE32 for i386, a console program, its libraries linked in.
cli_headers="$($objdump -p "$build/src/cli/velmorin-cli.exe")"
grep -qP "^Magic\s+010b\s+\(PE32\)" <<<"$cli_headers" || fail "velmorin-cli.exe is not PE32"
grep -qP "^Subsystem\s+00000003\s+\(Windows CUI\)" <<<"$cli_headers" || fail "velmorin-cli.exe is not a console program"
imports_allowed velmorin-cli.exe "$cli_headers"

# velmorin-thumbnails.dll: PE32, COM's two entry points by their plain names
# (as Windows looks them up, not stdcall-decorated), the same DLLs only.
dll_headers="$($objdump -p "$build/src/explorer/velmorin-thumbnails.dll")"
grep -qP "^Magic\s+010b\s+\(PE32\)" <<<"$dll_headers" || fail "velmorin-thumbnails.dll is not PE32"
for entry in DllGetClassObject DllCanUnloadNow; do
  grep -qP "^\s+\[\s*\d+\] $entry$" <<<"$dll_headers" || fail "velmorin-thumbnails.dll does not export $entry"
done
imports_allowed velmorin-thumbnails.dll "$dll_headers"

# The resource directory, as "type id" pairs: accelerators 101, menu 102,
# dialogs 104 and 105, bitmap 107, icon group 115.
resources="$(sed -nE 's/^[0-9a-f]+(   |     )Entry: ID: (0x[0-9a-f]+).*/\1 \2/p' <<<"$headers" |
  while IFS= read -r line; do
    id=$((${line##* }))
    case "$line" in "     "*) echo "$type $id" ;; *) type=$id ;; esac
  done)"
for wanted in "9 101" "4 102" "5 104" "5 105" "2 107" "14 115"; do
  grep -qx "$wanted" <<<"$resources" || fail "no resource of type and number $wanted"
done

# stdcall functions carry their argument bytes in their decorated names.
symbols="$(i686-w64-mingw32-nm "$exe")"
for procedure in WinMain WndProc AboutDlgProc GammaDlgProc; do
  grep -qE " T _*(Z[0-9]+)?${procedure}[A-Za-z0-9_]*@16$" <<<"$symbols" || fail "$procedure is not stdcall"
done

# Loads and stores of the x87 stack are how the i386 ABI returns floating
# values, and GCC may take the sign off such a value there (fabs, fchs: exact);
# arithmetic, comparisons and conversions there are what must not be.
x87="^f(i?add|i?sub|i?subr|i?mul|i?div|i?divr|sqrt|sin|cos|sincos|ptan|patan|prem1?|rndint|scale|2xm1|yl2xp?1?|i?comp?p?|ucomi?p?p?|comi|tst|xam|istt?p?|ild)[lsq]?p?$"
objects=$(find "$build/src" -name '*.obj' ! -name '*resources*')
[ -n "$objects" ] || fail "no object files under $build/src"
for object in $objects; do
  found="$($objdump -d --no-show-raw-insn "$object" | awk -F'\t' 'NF >= 2 { split($2, w, " "); print w[1] }' |
    grep -E "$x87" | sort | uniq -c | tr -s ' ' || true)"
  [ -z "$found" ] || fail "x87 arithmetic in ${object#"$build"/}:$found"
done

[ "$failures" = 0 ] && echo "32-bit Windows executable checks passed" || exit 1
