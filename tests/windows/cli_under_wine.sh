#!/usr/bin/env bash
# velmorin-cli.exe under Wine against the Linux velmorin-cli: the same
# commands on the sample, the Blender character and, with
# VELMORIN_CORPUS_DIR, the real corpus give the same bytes (JSON,
# glTF and its files, MD2 and PCX, the thumbnail's PNG); a name with letters
# beyond ASCII reaches the file system; a folder or a device as input and a
# read-only output are refused; render draws what the Linux command draws
# (on an X server for Wine's GL: tests/x11/with_xvfb.sh).
#
#   cli_under_wine.sh VELMORIN_CLI_EXE VELMORIN_CLI SAMPLE_DIR CHARACTER.glb
set -euo pipefail
exe="$(realpath "$1")" cli="$(realpath "$2")" sample="$(cd "$3" && pwd)" character="$(realpath "$4")"
source "$(dirname "$0")/wine_prefix.sh"

# Each side works in a folder of its own with the same relative names.
mkdir -p "$work/linux" "$work/windows"
for side in linux windows; do
  cp "$sample/lantern.md2" "$sample/lantern.pcx" "$character" "$work/$side/"
done
both() {  # both NAME ARGUMENTS...: the command on each side, its standard output kept
  local name="$1"; shift
  (cd "$work/linux" && "$cli" "$@" >"$name.out" 2>"$name.err") || echo "exit $?" >>"$work/linux/$name.out"
  (cd "$work/windows" && "$wine" "$exe" "$@" >"$name.out" 2>"$name.err") || echo "exit $?" >>"$work/windows/$name.out"
}
same() {  # same FILE...: each file equal on both sides
  for file in "$@"; do
    cmp -s "$work/linux/$file" "$work/windows/$file" || fail "$file differs: $(diff <(od -c "$work/linux/$file" | head -n 3) \
      <(od -c "$work/windows/$file" 2>&1 | head -n 3) | tr '\n' ' ')"
  done
}

both info info lantern.md2 --json
both check check lantern.md2 lantern.pcx --json
both export export lantern.md2 --skin lantern.pcx -o lantern.gltf
both import import "$(basename "$character")" -o character.md2 --skin-path character.pcx
both thumbnail thumbnail lantern.md2 thumb.png 128
same info.out check.out export.out import.out thumbnail.out lantern.gltf lantern.bin lantern.png character.md2 \
  character.pcx thumb.png

# The real models and images of the test corpus, when it is at hand.
if [ -n "${VELMORIN_CORPUS_DIR:-}" ]; then
  for file in "$VELMORIN_CORPUS_DIR"/md2/*.md2 "$VELMORIN_CORPUS_DIR"/pcx/*.pcx; do
    name="$(basename "$file")"
    cp "$file" "$work/linux/$name"
    cp "$file" "$work/windows/$name"
    both "$name.thumbnail" thumbnail "$name" "$name.png" 128
    same "$name.thumbnail.out"
    [ -s "$work/linux/$name.png" ] && same "$name.png"
    [ "${name##*.}" = md2 ] || continue
    both "$name.info" info "$name" --json
    both "$name.check" check "$name" --json
    both "$name.export" export "$name" -o "$name.glb"
    both "$name.render" render "$name" --skin auto --fit -o "$name.bmp"
    same "$name.info.out" "$name.check.out" "$name.export.out" "$name.glb" "$name.render.out" "$name.render.err"
    [ -e "$work/linux/$name.bmp" ] && same "$name.bmp"
  done
fi

# A name beyond ASCII, through the wide-character API both ways.
cp "$sample/lantern.md2" "$work/windows/lanterne-éè-模型.md2"
(cd "$work/windows" && "$wine" "$exe" export "lanterne-éè-模型.md2" -o "sortie-ü.gltf" >/dev/null 2>&1) ||
  fail "export from and to names beyond ASCII"
[ -s "$work/windows/sortie-ü.gltf" ] && [ -s "$work/windows/sortie-ü.bin" ] || fail "no glTF written under a name beyond ASCII"

# Inputs a stranger could name: a folder and a device are refused unread,
# and a read-only output is left as it was.
for input in "." NUL; do
  status=0
  (cd "$work/windows" && "$wine" "$exe" check "$input" >"$work/refused.out" 2>&1) || status=$?
  [ "$status" = 1 ] && grep -q "offset 0: the file cannot be read" "$work/refused.out" ||
    fail "check $input: exit $status, $(cat "$work/refused.out")"
done
cp "$work/windows/lantern.gltf" "$work/windows/kept.gltf"
(cd "$work/windows" && "$wine" cmd /c attrib +r kept.gltf >/dev/null 2>&1)
(cd "$work/windows" && "$wine" "$exe" export lantern.md2 -o kept.gltf >/dev/null 2>&1) && fail "export over a read-only file"
cmp -s "$work/windows/lantern.gltf" "$work/windows/kept.gltf" || fail "a read-only output was changed"

# render: the viewer's window unseen, drawn through WGL by Wine's GL. Both
# sides draw with Mesa's software rasteriser, so the pictures are the same
# bytes: one frame in each file type, the commands and drags, a sheet with
# transparency, an animation, sizes beyond the screen and below a window's
# least, and a skin's reading refused.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
renders=(
  "shot.bmp"
  "skinned.tga --skin lantern.pcx --frame breathe02 --mode linear --gamma 1.4 --zoom 2"
  "dragged.png --skin auto --orbit 40,-25 --pan 12 --zoom -1 --background 203040 --mipmaps off"
  "sheet.png --animation breathe --sheet 3 --background transparent --fit --size 96x80"
  "spin.gif --skin lantern.pcx --animation spin --size 120x100"
  "large.bmp --skin lantern.pcx --size 1700x1300 --fit"
  "tiny.tga --size 3x2"
  "refused.bmp --skin lantern.md2"
)
for render in "${renders[@]}"; do
  read -r -a arguments <<<"$render"
  both "render-${arguments[0]}" render lantern.md2 -o "${arguments[@]}"
  same "render-${arguments[0]}.out" "render-${arguments[0]}.err"
  [ -e "$work/linux/${arguments[0]}" ] && same "${arguments[0]}"
done
[ -e "$work/windows/refused.bmp" ] && fail "a refused skin left a picture"
(cd "$work/windows" && "$wine" "$exe" render "lanterne-éè-模型.md2" -o "vue-ü.bmp" >/dev/null 2>&1) ||
  fail "render from and to names beyond ASCII"
cmp -s "$work/windows/vue-ü.bmp" "$work/linux/shot.bmp" || fail "render to a name beyond ASCII differs"

[ "$failures" = 0 ] && echo "velmorin-cli.exe agrees with velmorin-cli" && exit 0
exit 1
