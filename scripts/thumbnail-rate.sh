#!/usr/bin/env bash
# Thumbnails a second, as a file manager makes them: one velmorin-cli
# process a picture (the thumbnailer's Exec line), 256 pixels, over the real
# corpus models and the sample, each ROUNDS times (default 20).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${ROUNDS:-20}"
"$top/scripts/build.sh" "$top/build/release" >/dev/null
corpus="${VELMORIN_CORPUS_DIR:-$("$top/scripts/fetch-corpus.sh")}"
cli="$top/build/release/src/cli/velmorin-cli"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for model in "$top/build/release/sample/lantern.md2" "$corpus"/md2/*.md2; do
  start=$(date +%s%N)
  for _ in $(seq "$rounds"); do "$cli" thumbnail "$model" "$work/thumbnail.png" 256; done
  elapsed=$(( $(date +%s%N) - start ))
  awk -v n="$rounds" -v ns="$elapsed" -v name="$(basename "$model")" \
    'BEGIN { printf "%s: %.1f ms a thumbnail, %.0f a second\n", name, ns / n / 1e6, n * 1e9 / ns }'
done
