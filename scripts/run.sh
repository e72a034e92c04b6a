#!/usr/bin/env bash
# Sets up, builds, and starts the viewer. Try it on the sample model:
# File > Open Model, build/release/sample/lantern.md2, then File > Chose Skin,
# build/release/sample/lantern.pcx.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$top/build/release" >/dev/null
if [ -z "${DISPLAY:-}" ]; then
  # No display: show what the viewer would, as a picture, with velmorin-cli.
  picture="$top/build/release/lantern.bmp"
  "$top/build/release/src/cli/velmorin-cli" render "$top/build/release/sample/lantern.md2" \
    --skin "$top/build/release/sample/lantern.pcx" --orbit 30,-15 -o "$picture"
  echo "No display (DISPLAY is empty): the viewer needs one. What it would show of the sample model is in $picture;" >&2
  echo "run scripts/run.sh where there is a display to open the viewer itself." >&2
  exit 1
fi
echo "Velmorin: open the sample model $top/build/release/sample/lantern.md2 and its skin lantern.pcx."
exec "$top/build/release/src/shell/velmorin"
