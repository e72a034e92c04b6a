#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh FOLDER [CMAKE OPTIONS...]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -lt 1 ]; then
  echo "usage: scripts/build.sh FOLDER [CMAKE OPTIONS...]" >&2
  exit 2
fi
folder="$1"
shift
cmake -S "$top" -B "$folder" -G Ninja -DVELMORIN_WERROR=ON "$@" >/dev/null
cmake --build "$folder" --parallel
