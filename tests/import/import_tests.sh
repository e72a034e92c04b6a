#!/usr/bin/env bash
# velmorin-cli import against readers and evaluators nobody on this project wrote:
#   import_tests.sh VELMORIN_CLI SAMPLE_DIR
# - round trip: export then import of the sample and the corpus models gives
#   the same frames and names, every vertex within one quantisation step, the
#   same pictures in the viewer (wire-frame, and skinned), and a PCX that
#   ImageMagick decodes to the original skin's pixels (also with --palette);
# - a skinned, animated glTF made with Blender (tests/import/blender_arm.glb,
#   by make_blender_fixture.py): the frames at 10 a second are three.js's
#   evaluation of it, point for point within one quantisation step;
# - assimp reads every imported MD2 with its triangles, and check finds no
#   error and no warning;
# - broken files and models beyond Quake 2's limits are refused with their
#   reasons, exit 1, and nothing is written;
# - files as modders' tools write them (accented, path-like, unnamed and
#   repeated names, actions keyed from Blender's frame 1, closed loops,
#   unnormalised weights, helper points) give the animations and warnings
#   they should; --animation, --merge and --skin-path do what they say.
set -euo pipefail
cli="$1" sample="$2"
here="$(cd "$(dirname "$0")" && pwd)"
modules="${VELMORIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmorin}/npm/node_modules"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe  # the renders compared are both headless EGL
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Frames of two MD2 files: the same names, and each vertex of one within a step of the other's.
same_frames() {
  python3 - "$1" "$2" <<'PYTHON'
import struct, sys
def frames(path):
    data = open(path, "rb").read()
    h = struct.unpack_from("<17i", data)
    out = []
    for f in range(h[10]):
        at = h[14] + f * h[4]
        scale, translate = struct.unpack_from("<3f", data, at), struct.unpack_from("<3f", data, at + 12)
        name = data[at + 24:at + 40].split(b"\0")[0]
        points = {tuple(round(data[at + 40 + 4 * v + c] * scale[c] + translate[c], 4) for c in range(3))
                  for v in range(h[6])}
        out.append((name, scale, points))
    return out
a, b = frames(sys.argv[1]), frames(sys.argv[2])
if [f[0] for f in a] != [f[0] for f in b]:
    sys.exit(f"frame names differ: {len(a)} and {len(b)} frames")
for (name, _, points), (_, step, imported) in zip(a, b):
    for p in points:
        if not any(all(abs(p[c] - q[c]) <= step[c] * 1.0001 + 1e-4 for c in range(3)) for q in imported):
            sys.exit(f"{name.decode()}: {p} has no imported vertex within a step")
PYTHON
}

models=("$sample/lantern.md2")
[ -n "${VELMORIN_CORPUS_DIR:-}" ] && models+=("$VELMORIN_CORPUS_DIR"/md2/*.md2)
for model in "${models[@]}"; do
  name="$(basename "$model" .md2)"
  skin=()
  [ "$model" = "$sample/lantern.md2" ] && skin=(--skin "$sample/lantern.pcx")
  for form in glb gltf; do
    mkdir -p "$work/$name-$form"
    "$cli" export "$model" "${skin[@]}" -o "$work/$name-$form/$name.$form" || fail "export of $name as .$form"
    start=$(date +%s%N)
    "$cli" import "$work/$name-$form/$name.$form" -o "$work/$name-$form/back.md2" || { fail "import of $name.$form"; continue; }
    echo "$name.$form imported in $(( ($(date +%s%N) - start) / 1000000 )) ms"
    same_frames "$model" "$work/$name-$form/back.md2" || fail "$name.$form: the frames came back otherwise"
  done
  back="$work/$name-glb/back.md2"
  "$cli" render "$model" --mode wire -o "$work/$name-wire.bmp"
  "$cli" render "$back" --mode wire -o "$work/$name-back-wire.bmp"
  cmp -s "$work/$name-wire.bmp" "$work/$name-back-wire.bmp" || fail "$name: the imported model draws otherwise"
  problems="$("$cli" check "$back" ${skin:+"$work/$name-glb/back.pcx"})"
  [ "$problems" = "$back: no problems" ] || fail "check of the imported $name: $problems"
  triangles="$("$cli" info "$back" --json | python3 -c 'import json, sys; print(json.load(sys.stdin)["header"]["numTriangles"])')"
  faces="$(assimp info "$back" 2>/dev/null | sed -n 's/^Faces: *//p')"
  [ "$faces" = "$triangles" ] || fail "assimp reads $faces faces of the imported $name's $triangles"
done

# The skin: the PCX decodes to the original skin's pixels, with its own
# palette and with the original's given; the picture is the original's.
for palette in "" "$sample/lantern.pcx"; do
  "$cli" import "$work/lantern-glb/lantern.glb" ${palette:+--palette "$palette"} -o "$work/skinned.md2" ||
    fail "import with the palette \"$palette\""
  [ "$(convert "$work/skinned.pcx" rgb:- | md5sum)" = "$(convert "$sample/lantern.pcx" rgb:- | md5sum)" ] ||
    fail "the imported skin's pixels (palette \"$palette\")"
done
"$cli" render "$sample/lantern.md2" --skin "$sample/lantern.pcx" -o "$work/skinned.bmp"
"$cli" render "$work/skinned.md2" --skin "$work/skinned.pcx" -o "$work/skinned-back.bmp"
cmp -s "$work/skinned.bmp" "$work/skinned-back.bmp" || fail "the imported skinned model draws otherwise"

# Blender's model against three.js's evaluation of it.
"$cli" import "$here/blender_arm.glb" -o "$work/arm.md2" || fail "import of Blender's model"
node "$here/compare_three.mjs" "$modules" "$here/blender_arm.glb" "$work/arm.md2" || fail "Blender's model against three.js"
[ "$("$cli" check "$work/arm.md2")" = "$work/arm.md2: no problems" ] || fail "check of Blender's model"

# A figure made in Blender facing its front, textured, painted and vertex
# coloured, with two actions keyed from frame 1, one a closed loop: it faces
# the viewer's first view (MD2 +X), its frames are three.js's evaluation, and
# every material's colour is in the skin where its faces sample it.
mkdir -p "$work/figure"
"$cli" import "$here/blender_character.glb" -o "$work/figure/figure.md2" --quiet || fail "import of Blender's figure"
node "$here/compare_three.mjs" "$modules" "$here/blender_character.glb" "$work/figure/figure.md2" ||
  fail "Blender's figure against three.js"
[ "$("$cli" check "$work/figure/figure.md2" "$work/figure/figure.pcx")" = "$work/figure/figure.md2: no problems" ] ||
  fail "check of Blender's figure"
convert "$work/figure/figure.pcx" "rgb:$work/figure/skin.rgb"
python3 - "$work/figure/figure.md2" "$work/figure/skin.rgb" <<'PYTHON' || fail "Blender's figure: facing or skin"
import struct, sys
data, skin = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
h = struct.unpack_from("<17i", data)
width, height = h[2], h[3]
scale, translate = struct.unpack_from("<3f", data, h[14]), struct.unpack_from("<3f", data, h[14] + 12)
xs = [data[h[14] + 40 + 4 * v] * scale[0] + translate[0] for v in range(h[6])]
if not max(xs) > -min(xs) + 0.1:
    sys.exit(f"the figure does not face +X: x from {min(xs):.2f} to {max(xs):.2f}")
colours = {}
for t in range(h[8]):
    st = [struct.unpack_from("<2h", data, h[12] + 4 * i) for i in struct.unpack_from("<6h", data, h[13] + 12 * t)[3:]]
    x, y = int(sum(p[0] for p in st) / 3), int(sum(p[1] for p in st) / 3)
    pixel = tuple(skin[3 * (y * width + x):3 * (y * width + x) + 3])
    colours[pixel] = colours.get(pixel, 0) + 1
blue = colours.get((0, 0, 255), 0)
belt = colours.get((0, 255, 0), 0) + colours.get((0, 255, 255), 0)
body = colours.get((255, 0, 0), 0) + colours.get((255, 255, 0), 0)
if (blue, belt, body) != (24, 12, 14):
    sys.exit(f"faces by colour: {colours}: not 24 blue (head, nose), 12 belt, 14 checker and badge")
PYTHON

# Refusals: each exit 1 with its reason, nothing written.
python3 - "$here/../fuzz/import_seed.gltf" "$work" <<'PYTHON'
import base64, json, struct, sys
seed, work = json.load(open(sys.argv[1])), sys.argv[2]
def write(name, document):
    json.dump(document, open(f"{work}/{name}.gltf", "w"))
def with_buffer(document, data):
    document["buffers"] = [{"byteLength": len(data), "uri": "data:application/octet-stream;base64," + base64.b64encode(data).decode()}]
    document["bufferViews"] = [{"buffer": 0, "byteOffset": 0, "byteLength": len(data)}]
    return document
points = json.loads(json.dumps(seed)); points["meshes"][0]["primitives"][0]["mode"] = 0
write("points", points)
long = json.loads(json.dumps(seed)); long["accessors"][7]["max"] = [60]
times = long["accessors"][7]
data = bytearray(base64.b64decode(long["buffers"][0]["uri"].split(",")[1]))
view = long["bufferViews"][times["bufferView"]]
struct.pack_into("<3f", data, view["byteOffset"], 0, 30, 60)
long["buffers"][0]["uri"] = "data:application/octet-stream;base64," + base64.b64encode(bytes(data)).decode()
write("long", long)
struct.pack_into("<3f", data, view["byteOffset"], 0, 1e30, 3e31)  # an end no frame count holds
long["buffers"][0]["uri"] = "data:application/octet-stream;base64," + base64.b64encode(bytes(data)).decode()
long["accessors"][7]["max"] = [3e31]
write("endless", long)
# A strip of 5000 triangles, and 2500 separate triangles of 7500 vertices.
def strip(name, count, mode, vertices):
    data = b"".join(struct.pack("<3f", v % 97, v // 97, 0) for v in range(vertices))
    write(name, with_buffer({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "mode": mode}]}],
        "accessors": [{"bufferView": 0, "componentType": 5126, "count": vertices, "type": "VEC3",
                       "min": [0, 0, 0], "max": [96, vertices // 97, 0]}]}, data))
strip("triangles", 5000, 5, 5002)
strip("vertices", 2500, 4, 7500)
open(f"{work}/cut.glb", "wb").write(b"glTF\x02\x00\x00\x00\xff\x00\x00\x00")
open(f"{work}/text.gltf", "w").write("{ not json")
PYTHON
for row in "points:only triangles" "long:512 frames" "endless:512 frames" "triangles:limit of 4096" "vertices:limit of 2048" \
           "cut:cannot be read" "text:cannot be read"; do
  file="${row%%:*}" reason="${row#*:}"
  input="$work/$file.gltf"; [ -e "$input" ] || input="$work/$file.glb"
  if "$cli" import "$input" -o "$work/refused.md2" 2>"$work/error"; then fail "$file was imported"; fi
  grep -q "$reason" "$work/error" || fail "$file: not \"$reason\": $(head -c 300 "$work/error")"
done
[ ! -e "$work/refused.md2" ] && [ ! -e "$work/refused.pcx" ] || fail "a refused import left a file"

# Files as modders' tools write them: each imported, then its animations (as
# info lists them: name and frames) and what import warned of.
python3 - "$here/../fuzz/import_seed.gltf" "$work" <<'PYTHON'
import base64, json, struct, sys
seed, work = json.load(open(sys.argv[1])), sys.argv[2]
data = bytearray(base64.b64decode(seed["buffers"][0]["uri"].split(",")[1]))
def write(name, change=None, patch=None):
    document, changed = json.loads(json.dumps(seed)), bytearray(data)
    if change: change(document)
    if patch: patch(changed)
    document["buffers"][0]["uri"] = "data:application/octet-stream;base64," + base64.b64encode(bytes(changed)).decode()
    json.dump(document, open(f"{work}/{name}.gltf", "w"))
    # The same as a .glb, for three.js in node (which fetches a data URI through the DOM).
    del document["buffers"][0]["uri"]
    text = json.dumps(document).encode()
    text += b" " * (-len(text) % 4)
    changed += b"\0" * (-len(changed) % 4)
    open(f"{work}/{name}.glb", "wb").write(struct.pack("<4sII", b"glTF", 2, 28 + len(text) + len(changed)) +
        struct.pack("<I4s", len(text), b"JSON") + text + struct.pack("<I4s", len(changed), b"BIN\0") + changed)
def renamed(*names):
    return lambda d: d.update(animations=[dict(d["animations"][0], name=n) for n in names])
write("names", renamed("w\u00e4lk", "Armature|Armature|mixamo.com|Layer0", "w\u00e4lk", ""))
write("keyed", patch=lambda b: struct.pack_into("<3f", b, 348, 0.1, 0.6, 1.1))  # Blender: frame 1 at 0.1 s
def closed(b):  # every channel's last key its first again
    b[360 + 32:360 + 48] = b[360:376]
    b[408 + 84:408 + 96] = b[408 + 12:408 + 24]
    b[516 + 8:516 + 12] = b[516:520]
write("loop", patch=closed)
write("weights", patch=lambda b: struct.pack_into("<16f", b, 156, *[w / 2 for w in struct.unpack_from("<16f", b, 156)]))
def with_points(d):
    d["meshes"][0]["primitives"].append({"attributes": {"POSITION": 0}, "mode": 0})
write("mixed", with_points)
write("two", renamed("a", "b"))
PYTHON
animations() { "$cli" info "$1" --json | python3 -c "import json, sys
print(' '.join(a['name'] + ':' + str(a['length']) for a in json.load(sys.stdin)['animations']))"; }
for row in "names||walk:11 anim2_:11 walk_b:11 anim4_:11|" "keyed||swing:11|" "loop||swing:10|a closed loop" \
           "loop|--keep-loop-end|swing:11|" "weights||swing:11|do not sum to 1" "mixed||swing:11|mesh \"quad\"" \
           "two|--animation b --animation a|b:11 a:11|" "two|--merge both|both:11|"; do
  IFS='|' read -r file options expected said <<<"$row"
  # shellcheck disable=SC2086
  "$cli" import "$work/$file.gltf" $options -o "$work/$file.md2" >"$work/said" 2>&1 || fail "$file $options: $(cat "$work/said")"
  [ "$(animations "$work/$file.md2")" = "$expected" ] || fail "$file $options: $(animations "$work/$file.md2"), not $expected"
  [ -z "$said" ] || grep -q "$said" "$work/said" || fail "$file $options: not \"$said\": $(cat "$work/said")"
done
"$cli" import "$work/weights.glb" --quiet -o "$work/weights-glb.md2" 2>/dev/null &&
  node "$here/compare_three.mjs" "$modules" "$work/weights.glb" "$work/weights-glb.md2" || fail "unnormalised weights against three.js"
"$cli" import "$here/../fuzz/import_seed.gltf" --quiet -o "$work/seed.md2" && [ -s "$work/seed.md2" ] || fail "the seed"
python3 - "$work/seed.md2" "$work/weights.md2" <<'PYTHON' || fail "normalised weights move the vertices otherwise"
import sys
a, b = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
sys.exit(0 if a == b else 1)
PYTHON
"$cli" import "$work/lantern-glb/lantern.glb" --skin-path players/lantern/grunt.pcx --quiet -o "$work/named.md2" &&
  [ -s "$work/grunt.pcx" ] && [ ! -e "$work/named.pcx" ] || fail "--skin-path does not name the skin written"

[ "$failures" = 0 ] && echo "import tests passed" || exit 1
