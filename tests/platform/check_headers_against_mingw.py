#!/usr/bin/env python3
"""Checks the layer's windows.h, commctrl.h and commdlg.h against mingw-w64's.

Every constant's value and every structure's size, field offsets and field sizes, as our
headers give them on this machine, become static_asserts compiled against
mingw-w64's real headers for x86_64; every function declaration is repeated
there, so a type that differs from Windows' fails to compile. For i686 the
constants and declarations are checked (its sizes are 32-bit ones).

Usage: check_headers_against_mingw.py INCLUDE_DIR HOST_CXX WORK_DIR
"""
import pathlib
import re
import shutil
import subprocess
import sys

HEADERS = ["windows.h", "commctrl.h", "commdlg.h"]
# Macros that are not numbers: calling conventions, guards, aliases, pointers, strings.
NOT_NUMBERS = {"WINAPI", "CALLBACK", "APIENTRY", "WINGDIAPI", "CONST", "TRUE", "FALSE", "_WINDOWS_",
               "_INC_COMMCTRL", "_INC_COMMDLG", "MAKEINTRESOURCE", "IDI_APPLICATION", "IDC_ARROW",
               "STATUSCLASSNAMEA", "TOOLBARCLASSNAMEA"}


def read_headers(include):
    constants, structs, declarations = [], {}, []
    for name in HEADERS:
        text = (include / name).read_text()
        for m in re.finditer(r"^#define (\w+)(\(?)", text, re.M):
            if not m.group(2) and m.group(1) not in NOT_NUMBERS:
                constants.append(m.group(1))
        for m in re.finditer(r"typedef struct (\w+) \{(.*?)\} (\w+)", text, re.S):
            structs[m.group(3)] = re.findall(r"(\w+)(?:\[[^\]]*\])?;", m.group(2))
        block = re.search(r'extern "C" \{\n(.*?)\n#ifdef __cplusplus\n\}', text, re.S)
        if block:
            declarations.append("\n".join(l for l in block.group(1).splitlines() if not l.startswith("#")))
    return constants, structs, declarations


def main():
    include, host_cxx, work = pathlib.Path(sys.argv[1]), sys.argv[2], pathlib.Path(sys.argv[3])
    compilers = {"x86_64": "x86_64-w64-mingw32-g++", "i686": "i686-w64-mingw32-g++"}
    if not all(shutil.which(c) for c in compilers.values()):
        print("mingw-w64 compilers missing: run scripts/setup.sh")
        return 1
    work.mkdir(parents=True, exist_ok=True)
    constants, structs, declarations = read_headers(include)

    printer = ["#include <windows.h>", "#include <commctrl.h>", "#include <commdlg.h>",
               "#include <cstddef>", "#include <cstdio>", "int main() {"]
    for c in constants:
        printer.append(f'printf("static_assert((long long)({c}) == %lldLL, \\"{c}\\");\\n", (long long)({c}));')
    for s, fields in structs.items():
        printer.append(f'printf("static_assert(sizeof({s}) == %zu, \\"{s}\\");\\n", sizeof({s}));')
        for f in fields:
            printer.append(f'printf("static_assert(offsetof({s}, {f}) == %zu && sizeof({s}::{f}) == %zu, '
                           f'\\"{s}.{f}\\");\\n", offsetof({s}, {f}), sizeof({s}::{f}));')
    printer.append("}")
    (work / "print_values.cpp").write_text("\n".join(printer) + "\n")
    subprocess.run([host_cxx, "-std=c++17", f"-I{include}", str(work / "print_values.cpp"), "-o",
                    str(work / "print_values")], check=True)
    asserts = subprocess.run([str(work / "print_values")], check=True, capture_output=True, text=True).stdout

    head = "#include <windows.h>\n#include <commctrl.h>\n#include <commdlg.h>\n#include <cstddef>\n"
    redeclared = 'extern "C" {\n' + "\n".join(declarations) + "\n}\n"
    layout = "\n".join(line for line in asserts.splitlines() if "sizeof" in line or "offsetof" in line)
    values = "\n".join(line for line in asserts.splitlines() if "sizeof" not in line and "offsetof" not in line)
    failed = False
    for arch, checks in (("x86_64", values + "\n" + layout), ("i686", values)):
        source = work / f"check_{arch}.cpp"
        source.write_text(head + checks + "\n" + redeclared)
        result = subprocess.run([compilers[arch], "-std=c++17", "-fsyntax-only", "-Wno-attributes", str(source)],
                                capture_output=True, text=True)
        if result.returncode != 0:
            failed = True
            print(f"{arch}: differs from mingw-w64's headers:\n{result.stderr[:4000]}")
    print(f"{len(constants)} constants, {len(structs)} structures and "
          f"{sum(d.count(';') for d in declarations)} declarations checked")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
