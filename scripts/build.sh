#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh FOLDER [CMAKE OPTIONS...]
# Warnings stay warnings unless -DVELMORIN_WERROR=ON is given (as CI does), so
# that a newer compiler's new warning never breaks a user's build.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -lt 1 ]; then
  echo "usage: scripts/build.sh FOLDER [CMAKE OPTIONS...]" >&2
  exit 2
fi
folder="$1"
shift
cmake -S "$top" -B "$folder" -G Ninja "$@" >/dev/null
cmake --build "$folder" --parallel
