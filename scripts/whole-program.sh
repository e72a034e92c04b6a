#!/usr/bin/env bash
# Whole-program time and peak RSS: the viewer (headless) opening the sample
# model and quitting, a program that only makes the same GL context, and f3d
# rendering the same model (exported to OBJ by assimp) offscreen under Xvfb.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh" f3d assimp-utils time
"$top/scripts/build.sh" "$top/build/release" >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
sample="$top/build/release/sample/lantern.md2"
assimp export "$sample" "$work/lantern.obj" >/dev/null
measure() {  # measure NAME COMMAND...: three runs
  local name="$1"; shift
  for _ in 1 2 3; do /usr/bin/time -f "$name: %e s, peak RSS %M kB" "$@" >/dev/null 2>"$work/time" || true; tail -n 1 "$work/time"; done
}
# velmorin-cli render runs the viewer's own WinMain on the headless backend:
# start, open the sample, draw, save the screenshot, quit.
measure "viewer, sample opened" "$top/build/release/src/cli/velmorin-cli" render "$sample" -o "$work/lantern.bmp"
measure "GL context alone" "$top/build/release/bench/minimal_gl"
"$top/tests/x11/with_xvfb.sh" bash -c "sleep 1; for run in 1 2 3; do
  /usr/bin/time -f 'f3d: %e s, peak RSS %M kB' f3d --output='$work/f3d.png' --resolution=384,395 '$work/lantern.obj' \
    >/dev/null 2>'$work/time' || true; tail -n 1 '$work/time'; done"
