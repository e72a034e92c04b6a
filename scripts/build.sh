#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh FOLDER [CMAKE OPTIONS...]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
shift
cmake -S "$top" -B "$folder" -G Ninja -DVELMORIN_WERROR=ON "$@" >/dev/null
cmake --build "$folder" --parallel
