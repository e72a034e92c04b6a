#!/usr/bin/env bash
# Builds and runs the benchmark on the real corpus; extra arguments go to
# Google Benchmark (for example --benchmark_min_time=2).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
VELMORIN_CORPUS_DIR="${VELMORIN_CORPUS_DIR:-$("$top/scripts/fetch-corpus.sh")}"  # apart from export: a failure stops
export VELMORIN_CORPUS_DIR
"$top/scripts/build.sh" "$top/build/release" >/dev/null
exec "$top/build/release/bench/velmorin_bench" "$@"
