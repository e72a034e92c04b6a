#!/usr/bin/env bash
# Thumbnails as a file manager makes them: one velmorin-cli process a picture
# (the thumbnailer's Exec line), SIZE pixels (default 512, what libfm asks for
# in its 256 view), over the sample and the real corpus models, each ROUNDS
# times (default 20): each model's median, and the median over them all.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${ROUNDS:-20}" size="${SIZE:-512}"
"$top/scripts/build.sh" "$top/build/release" >/dev/null
corpus="${VELMORIN_CORPUS_DIR:-$("$top/scripts/fetch-corpus.sh")}"
cli="$top/build/release/src/cli/velmorin-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for model in "$top/build/release/sample/lantern.md2" "$corpus"/md2/*.md2 "$top/build/release/sample/lantern.pcx"; do
  for _ in $(seq "$rounds"); do
    start=$(date +%s%N)
    "$cli" thumbnail "$model" "$work/thumbnail.png" "$size"
    echo $(( ($(date +%s%N) - start) / 1000 ))
  done >"$work/$(basename "$model").us"
  printf '%s: median %.1f ms at %s\n' "$(basename "$model")" "$(median <"$work/$(basename "$model").us" | awk '{ print $1 / 1000 }')" "$size"
done
printf 'all: median %.1f ms a thumbnail at %s\n' "$(cat "$work"/*.us | median | awk '{ print $1 / 1000 }')" "$size"
