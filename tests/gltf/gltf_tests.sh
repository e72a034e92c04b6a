#!/usr/bin/env bash
# velmorin-cli export against readers nobody on this project wrote:
#   gltf_tests.sh VELMORIN_CLI SAMPLE_DIR   (run on an X server: tests/x11/with_xvfb.sh, for f3d)
# - the Khronos glTF-Validator finds no error and no warning in the sample and
#   every corpus model, as .glb and .gltf, with a skin and without;
# - f3d draws frame 0 with the viewer's camera (from the model's front, glTF's
#   +Z, as the viewer looks from Quake's +X), and its silhouette covers the
#   same pixels as velmorin-cli render's (intersection over union >= 0.95);
# - a frame name that is not UTF-8 still gives JSON a strict reader takes;
# - a refused model or skin gives check's reason and exit 1; an output that
#   cannot be written gives exit 1 and leaves nothing.
set -euo pipefail
cli="$1" sample="$2"
# Where scripts/setup.sh installs the validator.
modules="${VELMORIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorin}/npm/node_modules"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe  # as the window tests: software GL on both sides
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

models=("$sample/lantern.md2")
if [ -n "${VELMORIN_CORPUS_DIR:-}" ] && ls "$VELMORIN_CORPUS_DIR"/md2/*.md2 >/dev/null 2>&1; then
  models+=("$VELMORIN_CORPUS_DIR"/md2/*.md2)
elif [ -n "${VELMORIN_REQUIRE_CORPUS:-}" ]; then
  fail "no corpus models in VELMORIN_CORPUS_DIR"
fi

files=()
for model in "${models[@]}"; do
  name="$(basename "$model" .md2)"
  start=$(date +%s%N)
  "$cli" export "$model" --skin "$sample/lantern.pcx" -o "$work/$name.glb" || fail "export of $name"
  echo "$name.glb: $(stat -c %s "$work/$name.glb") bytes in $(( ($(date +%s%N) - start) / 1000000 )) ms"
  "$cli" export "$model" -o "$work/$name-plain.glb" || fail "export of $name without a skin"
  mkdir -p "$work/$name-gltf"
  "$cli" export "$model" --skin "$sample/lantern.pcx" --gamma 0.5 -o "$work/$name-gltf/$name.gltf" ||
    fail "export of $name as .gltf"
  files+=("$work/$name.glb" "$work/$name-plain.glb" "$work/$name-gltf/$name.gltf")
done
# A frame name with a Latin-1 byte (0xE9) still gives JSON that a strict reader takes.
python3 - "$sample/lantern.md2" "$work/latin.md2" <<'PYTHON'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
data[struct.unpack_from("<i", data, 56)[0] + 24] = 0xE9
open(sys.argv[2], "wb").write(data)
PYTHON
"$cli" export "$work/latin.md2" -o "$work/latin.gltf" || fail "export of a Latin-1 frame name"
python3 -c 'import json, sys; json.loads(open(sys.argv[1], "rb").read().decode("utf-8", "strict"))' "$work/latin.gltf" ||
  fail "the Latin-1 frame name's JSON"
files+=("$work/latin.gltf")
node "$here/validate.js" "$modules" "${files[@]}" || fail "the glTF-Validator's report"

# Silhouettes on a grey ground: f3d's unlit model, the viewer's textured mode without a skin.
for model in "${models[@]}"; do
  name="$(basename "$model" .md2)"
  f3d --output="$work/$name-f3d.png" --resolution=384,395 --camera-position=0,0,100 --camera-focal-point=0,0,0 \
    --camera-view-up=0,1,0 --camera-view-angle=50 --bg-color=0.5,0.5,0.5 "$work/$name-plain.glb" >/dev/null 2>&1 ||
    fail "f3d on $name"
  "$cli" render "$model" --mode nearest --background 808080 -o "$work/$name-viewer.bmp" || fail "render of $name"
  convert "$work/$name-f3d.png" -depth 8 "rgb:$work/$name-f3d.rgb"
  convert "$work/$name-viewer.bmp" -depth 8 "rgb:$work/$name-viewer.rgb"
  python3 - "$work/$name-f3d.rgb" "$work/$name-viewer.rgb" "$name" <<'PYTHON' || fail "silhouette of $name"
import sys
def mask(path):
    data = open(path, "rb").read()
    return [max(abs(data[i + c] - 128) for c in range(3)) > 12 for i in range(0, len(data), 3)]
a, b = mask(sys.argv[1]), mask(sys.argv[2])
both = sum(x and y for x, y in zip(a, b))
either = sum(x or y for x, y in zip(a, b))
iou = both / either if either else 0
print(f"{sys.argv[3]}: silhouettes of f3d and the viewer, intersection over union {iou:.3f}")
sys.exit(0 if len(a) == len(b) and iou >= 0.95 else 1)
PYTHON
done

# Bad input and outputs that cannot be written.
head -c 100 "$sample/lantern.md2" >"$work/cut.md2"
if "$cli" export "$work/cut.md2" -o "$work/cut.glb" 2>"$work/error"; then fail "a cut model exported"; fi
grep -q "refused: offset" "$work/error" || fail "no reason for the cut model: $(cat "$work/error")"
if "$cli" export "$sample/lantern.md2" --skin "$sample/lantern.md2" -o "$work/bad-skin.glb" 2>/dev/null; then
  fail "a model taken for a skin"
fi
for out in "$work/missing/x.glb" "$work/missing/x.gltf" /dev/full/x.glb; do
  if "$cli" export "$sample/lantern.md2" -o "$out" 2>/dev/null; then fail "exported to $out"; fi
done
chmod 555 "$work/lantern-gltf"
if [ "$(id -u)" -ne 0 ] && "$cli" export "$sample/lantern.md2" -o "$work/lantern-gltf/again.gltf" 2>/dev/null; then
  fail "exported into a read-only folder"
fi
chmod 755 "$work/lantern-gltf"
[ ! -e "$work/cut.glb" ] && [ ! -e "$work/bad-skin.glb" ] && [ ! -e "$work/missing" ] || fail "a partial file was left"

[ "$failures" = 0 ] && echo "glTF export tests passed" || exit 1
