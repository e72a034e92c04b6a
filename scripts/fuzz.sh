#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
# (default 60) under AddressSanitizer and UndefinedBehaviorSanitizer: the MD2
# and PCX parsers, seeded with the crafted files and the real corpus, the
# viewer's MD2 read path (from a file) against the parser, the screenshot
# writers read back by the tests' own reader, and the glTF importer (whose
# MD2 the parser must accept). A crash fails the run and leaves
# its input in build/fuzz/findings.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-60}"
# FUZZ_PARSER_RUNS: stop the MD2 and PCX parsers' runs after that many inputs
# instead (the soak's 10 million), with FUZZ_SECONDS as the bound.
parser_runs="${FUZZ_PARSER_RUNS:-}"
corpus="${VELMORIN_CORPUS_DIR:-$("$top/scripts/fetch-corpus.sh")}"
out="$top/build/fuzz"

CXX=clang++ "$top/scripts/build.sh" "$out" -DVELMORIN_WERROR=ON -DVELMORIN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
rm -rf "$out/seeds" "$out/work"
"$out/tests/write_fuzz_seeds" "$out/seeds"
mkdir -p "$out/findings"

# Inputs of at most 64 KiB: the real files (300 KiB models) as seeds are cut
# to that, and mutations make them whole again at a size that runs a hundred
# times faster; the real files at full size are covered by the corpus tests'
# bit flips under the sanitizers.
mkdir -p "$out/seeds/import"
cp "$top/tests/fuzz/import_seed.gltf" "$out/seeds/import/"
# The same with its buffer as a named file of the in-memory folder.
python3 - "$top/tests/fuzz/import_seed.gltf" "$out/seeds/import/external_buffer" <<'PYTHON'
import base64, json, sys
document = json.load(open(sys.argv[1]))
data = base64.b64decode(document["buffers"][0]["uri"].split(",")[1])
document["buffers"][0]["uri"] = "parts/a%20b.bin"
open(sys.argv[2], "wb").write(json.dumps(document).encode() + b"\n#file parts/a b.bin\n" + data)
PYTHON
for kind in md2 md2_read pcx writers import; do
  data="${kind%_read}"  # the read path takes the parser's seeds and dictionary
  mkdir -p "$out/seeds/$data" "$out/work/$kind"
  cp "$corpus/$data/"* "$out/seeds/$data/" 2>/dev/null || true
  extra=()
  [ -f "$top/tests/fuzz/$data.dict" ] && extra+=(-dict="$top/tests/fuzz/$data.dict")
  [ -n "$parser_runs" ] && [ "$kind" != writers ] && extra+=(-runs="$parser_runs")
  echo "Fuzzing $kind for $seconds s"
  "$out/tests/fuzz_$kind" "$out/work/$kind" "$out/seeds/$data" \
    "${extra[@]}" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix="$out/findings/$kind-" -print_final_stats=1 \
    >"$out/$kind.log" 2>&1 || { tail -n 40 "$out/$kind.log"; echo "fuzz_$kind failed: see $out/findings"; exit 1; }
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$out/$kind.log" |
    sed "s/^/  $kind /"
done