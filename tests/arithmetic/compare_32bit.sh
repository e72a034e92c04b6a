#!/usr/bin/env bash
# compare_32bit.sh NATIVE I386 I386_X87: runs the grid natively and, under
# qemu-i386-static, as built for 32-bit x86; fails unless both print the same
# bytes. The x87 build's count of differing cases is only reported.
set -euo pipefail
native="$1" i386="$2" x87="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$native" >"$work/native.txt"
qemu-i386-static "$i386" >"$work/i386.txt"
qemu-i386-static "$x87" >"$work/x87.txt"
cases=$(wc -l <"$work/native.txt")
x87_differ=$(diff "$work/native.txt" "$work/x87.txt" | grep -c '^>' || true)
echo "$cases cases; with x87 arithmetic $x87_differ would differ"
if ! cmp -s "$work/native.txt" "$work/i386.txt"; then
  echo "FAILED: the 32-bit build computes otherwise:"
  diff "$work/native.txt" "$work/i386.txt" | head -n 20
  exit 1
fi
echo "32-bit and 64-bit results are equal"
