#!/usr/bin/env bash
# Soak runs, minutes not hours: 10,000 timer ticks of playback on the largest
# real model and 500 open-model / choose-skin / mipmap cycles, once for memory
# growth (normal build) and once under LeakSanitizer; then the MD2 and PCX
# parsers' fuzz targets for 10 million inputs each and the writers' for 10
# minutes (SOAK_FUZZ_SECONDS, also the parsers' bound).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
corpus="$("$top/scripts/fetch-corpus.sh")"
model="$(ls -S "$corpus"/md2/*.md2 | head -n 1)"
skin="$top/build/release/sample/lantern.pcx"
"$top/scripts/build.sh" "$top/build/release" >/dev/null
"$top/scripts/build.sh" "$top/build/sanitize" -DVELMORIN_SANITIZE=ON >/dev/null
echo "== memory growth: $(basename "$model")"
"$top/build/release/tests/soak/soak" "$model" "$skin"
echo "== leaks"
ASAN_OPTIONS=detect_leaks=1 "$top/build/sanitize/tests/soak/soak" "$model" "$skin" --no-memory-bound
echo "== fuzzing"
FUZZ_SECONDS="${SOAK_FUZZ_SECONDS:-600}" FUZZ_PARSER_RUNS=10000000 VELMORIN_CORPUS_DIR="$corpus" "$top/scripts/fuzz.sh"
