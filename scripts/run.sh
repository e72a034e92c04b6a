#!/usr/bin/env bash
# Sets up, builds, and starts the viewer. Try it on the sample model:
# File > Open Model, build/release/sample/lantern.md2, then File > Chose Skin,
# build/release/sample/lantern.pcx.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$top/build/release" >/dev/null
if [ -z "${DISPLAY:-}" ]; then
  echo "Velmorin needs a graphical display, and none is set (DISPLAY is empty)." >&2
  exit 1
fi
echo "Velmorin: open the sample model $top/build/release/sample/lantern.md2 and its skin lantern.pcx."
exec "$top/build/release/src/shell/velmorin"
