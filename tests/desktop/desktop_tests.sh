#!/usr/bin/env bash
# MD2 models on a Linux desktop, as a file manager meets them:
#   desktop_tests.sh VELMORIN_CLI SAMPLE_DIR SOURCE_DIR
# - the MIME definition, run through update-mime-database, makes GIO call a
#   .md2 file model/x-md2, and a misnamed file with MD2's magic as well;
# - the thumbnailer entry's Exec line, run as a file manager runs it, gives a
#   SIZE-sided PNG with alpha, the model filling most of it, textured when a
#   skin lies where the header names it or alone beside the model, grey
#   otherwise; a broken model exits non-zero and writes nothing;
# - a flat folder (NAME.md2 beside NAME.pcx and another .pcx) and a skin whose
#   name differs in case come out skinned; a PCX gets an opaque thumbnail; a
#   model whose first frame shows nothing is refused; a preview with the skin
#   found, the camera fitted and no background;
# - Tumbler's D-Bus service, as Thunar asks it, makes the cache entries of a
#   model and of a PCX through the thumbnailer entries;
# - bash completes import's options and a model's animation names;
# - an animated GIF has the animation's frames, 100 ms each, looping.
set -euo pipefail
cli="$(realpath "$1")" sample="$(realpath "$2")" source="$(realpath "$3")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The MIME type, by name and by magic, from a database of our definition.
mkdir -p "$work/data/mime/packages"
cp "$source/packaging/desktop/velmorin-md2.xml" "$work/data/mime/packages/velmorin.xml"
update-mime-database "$work/data/mime" 2>/dev/null  # it warns that the folder is not a standard one
cp "$sample/lantern.md2" "$work/lantern.md2"
cp "$sample/lantern.md2" "$work/misnamed.dat"
for file in lantern.md2 misnamed.dat; do
  type="$(XDG_DATA_HOME="$work/data" gio info -a standard::content-type "$work/$file" |
    sed -n 's/^ *standard::content-type: //p')"
  [ "$type" = model/x-md2 ] || fail "GIO calls $file $type"
done

# The thumbnailer as a file manager runs it: %i the model, %o the PNG, %s the size.
exec_line="$(sed -n 's/^Exec=//p' "$source/packaging/desktop/velmorin.thumbnailer")"
thumbnail() {  # thumbnail MODEL OUT SIZE
  local line="${exec_line//%i/$(printf '%q' "$1")}"
  line="${line//%o/$(printf '%q' "$2")}"
  PATH="$(dirname "$cli"):$PATH" eval "${line//%s/$3}"
}
# Saturation of the picture's colours: a skin's, or none for the grey.
saturation() { convert "$1" -alpha off -colorspace HSL -channel G -separate +channel -format '%[fx:mean]' info:; }
check_thumbnail() {  # check_thumbnail PNG SIZE textured|grey
  [ "$(identify -format '%wx%h %[channels]' "$1")" = "$2x$2 srgba" ] ||
    fail "$1: $(identify -format '%wx%h %[channels]' "$1"), not $2 square with alpha"
  local drawn; drawn="$(convert "$1" -alpha extract -threshold 0 -format '%@' info: | sed -E 's/x([0-9]+).*/ \1/;s/\+.*//')"
  awk -v size="$2" -v d="$drawn" 'BEGIN { split(d, s, " "); exit !((s[1] > s[2] ? s[1] : s[2]) >= 0.85 * size) }' ||
    fail "$1: the model takes $drawn of $2"
  local colourful; colourful="$(awk -v s="$(saturation "$1")" 'BEGIN { print (s > 0.05) ? "textured" : "grey" }')"
  [ "$colourful" = "$3" ] || fail "$1: $colourful, not $3"
}

models=("$sample/lantern.md2")
[ -n "${VELMORIN_CORPUS_DIR:-}" ] && models+=("$VELMORIN_CORPUS_DIR"/md2/*.md2)
for model in "${models[@]}"; do
  for size in 128 256; do
    out="$work/$(basename "$model" .md2)-$size.png"
    start=$(date +%s%N)
    thumbnail "$model" "$out" "$size" || fail "thumbnail of $model at $size"
    echo "$(basename "$out"): $(( ($(date +%s%N) - start) / 1000000 )) ms"
    # The sample's skin lies alone beside it; the corpus models have none in PCX.
    check_thumbnail "$out" "$size" "$([ "$model" = "$sample/lantern.md2" ] && echo textured || echo grey)"
  done
done

# A Quake 2 game folder: the header names players/lantern/skin.pcx, found from
# the model's folder upwards; with two .pcx files beside and none named, grey.
game="$work/baseq2"
mkdir -p "$game/players/lantern"
python3 - "$sample/lantern.md2" "$game/players/lantern/tris.md2" <<'PYTHON'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
struct.pack_into("<i", data, 20, 1)  # numSkins
struct.pack_into("<i", data, 44, len(data))  # offsetSkins: the end
data += b"players/lantern/skin.pcx".ljust(64, b"\0")
open(sys.argv[2], "wb").write(data)
PYTHON
cp "$sample/lantern.pcx" "$game/players/lantern/skin.pcx"
cp "$sample/lantern.pcx" "$game/players/lantern/other.pcx"
cp "$sample/lantern.pcx" "$game/players/lantern/third.pcx"
thumbnail "$game/players/lantern/tris.md2" "$work/named.png" 128 || fail "thumbnail of the game folder's model"
check_thumbnail "$work/named.png" 128 textured
rm "$game/players/lantern/skin.pcx"
thumbnail "$game/players/lantern/tris.md2" "$work/unnamed.png" 128 || fail "thumbnail without the named skin"
check_thumbnail "$work/unnamed.png" 128 grey

# A flat download folder: knight.md2 with knight.pcx and knight_pain.pcx; and
# a header naming igdosh.pcx where the disk has IGDOSH.PCX.
mkdir -p "$work/flat" "$work/cased"
cp "$sample/lantern.md2" "$work/flat/knight.md2"
cp "$sample/lantern.pcx" "$work/flat/knight.pcx"
cp "$sample/lantern.pcx" "$work/flat/knight_pain.pcx"
thumbnail "$work/flat/knight.md2" "$work/flat.png" 128 || fail "thumbnail of a flat folder's model"
check_thumbnail "$work/flat.png" 128 textured
python3 - "$game/players/lantern/tris.md2" "$work/cased/tris.md2" <<'PYTHON'
import sys
data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data.replace(b"players/lantern/skin.pcx", b"players/ogro/igdosh.pcx\0"))
PYTHON
cp "$sample/lantern.pcx" "$work/cased/IGDOSH.PCX"
cp "$sample/lantern.pcx" "$work/cased/other.pcx"
thumbnail "$work/cased/tris.md2" "$work/cased.png" 128 || fail "thumbnail of a model whose skin differs in case"
check_thumbnail "$work/cased.png" 128 textured
thumbnail "$sample/lantern.pcx" "$work/skin.png" 256 || fail "thumbnail of a PCX"
[ "$(identify -format '%wx%h %[channels]' "$work/skin.png")" = "64x64 srgb" ] ||
  fail "the PCX's thumbnail: $(identify -format '%wx%h %[channels]' "$work/skin.png")"
# Frame 0 scaled by 0: accepted by the loader, but no picture to show.
python3 -c "import sys; d = bytearray(open(sys.argv[1], 'rb').read()); o = int.from_bytes(d[56:60], 'little')
d[o:o + 12] = bytes(12); open(sys.argv[2], 'wb').write(d)" "$sample/lantern.md2" "$work/vanished.md2"
if thumbnail "$work/vanished.md2" "$work/vanished.png" 128 2>/dev/null; then fail "an empty picture was a thumbnail"; fi
[ ! -e "$work/vanished.png" ] || fail "a thumbnail was left for a model that shows nothing"

# Tumbler (Thunar's thumbnailer service), on a session bus of its own, with
# the entries and the MIME type of the source tree: the cache entry it makes.
mkdir -p "$work/data/thumbnailers" "$work/home"
cp "$source"/packaging/desktop/*.thumbnailer "$work/data/thumbnailers/"
for file in lantern.md2:model/x-md2 lantern.pcx:image/vnd.zbrush.pcx; do
  cp "$sample/${file%%:*}" "$work/tumbler-${file%%:*}"
  uri="file://$work/tumbler-${file%%:*}"
  cached="$work/home/.cache/thumbnails/normal/$(printf '%s' "$uri" | md5sum | cut -d' ' -f1).png"
  HOME="$work/home" XDG_DATA_DIRS="$work/data:/usr/share" PATH="$(dirname "$cli"):$PATH" \
    timeout 150 dbus-run-session -- bash -c "
      gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
        --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
        --method org.freedesktop.thumbnails.Thumbnailer1.Queue '[\"$uri\"]' '[\"${file#*:}\"]' normal foreground 0
      for _ in \$(seq 1200); do [ -s '$cached' ] && exit 0; sleep 0.1; done; exit 1" >/dev/null 2>&1 ||
    fail "Tumbler made no thumbnail of ${file%%:*}"
  [ "$(identify -format %w "$cached" 2>/dev/null)" -gt 0 ] 2>/dev/null || fail "Tumbler's thumbnail of ${file%%:*}"
done

# Completion: import's options, and the animations of the model on the line.
completed() {
  PATH="$(dirname "$cli"):$PATH" bash -c 'source /usr/share/bash-completion/bash_completion
    source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _velmorin_cli; echo "${COMPREPLY[*]}"' \
    "$source/packaging/desktop/velmorin-cli.bash" "$@"
}
[ "$(completed velmorin-cli import x.glb --s)" = "--scale --skin-path" ] ||
  fail "import's options complete as: $(completed velmorin-cli import x.glb --s)"
[ "$(completed velmorin-cli render "$sample/lantern.md2" --animation "")" = "spin breathe" ] ||
  fail "the animations complete as: $(completed velmorin-cli render "$sample/lantern.md2" --animation "")"

# A broken model: a non-zero exit, and no file for the file manager to show.
head -c 100 "$sample/lantern.md2" >"$work/cut.md2"
if thumbnail "$work/cut.md2" "$work/cut.png" 128 2>/dev/null; then fail "a cut model was thumbnailed"; fi
[ ! -e "$work/cut.png" ] || fail "a thumbnail was left for a cut model"

# An animated preview: the sample's "spin" animation, one GIF frame a frame (named in capitals:
# the kind of output goes by its extension in any case).
frames="$("$cli" info "$sample/lantern.md2" | awk '$NF == "spin" { print $4 }')"
"$cli" render "$sample/lantern.md2" --skin "$sample/lantern.pcx" --animation spin -o "$work/spin.GIF" ||
  fail "render of an animated GIF"
shown="$(identify -verbose "$work/spin.GIF" | grep -cE '^ *Delay: 10x100$')"
looping="$(identify -verbose "$work/spin.GIF" | grep -cE '^ *Iterations: 0$')"
[ "$shown" = "$frames" ] && [ "$looping" = "$frames" ] ||
  fail "the GIF has $shown frames of 100 ms ($looping looping) for $frames frames"

# A preview to post in one command: the skin found, the camera fitted, no background.
"$cli" render "$sample/lantern.md2" --skin auto --fit --background transparent --animation spin -o "$work/post.gif" ||
  fail "render of a preview to post"
convert "$work/post.gif[0]" "$work/post.png"
[ "$(convert "$work/post.png" -format '%[fx:p{0,0}.a]' info:)" = 0 ] || fail "the preview's background is not transparent"
drawn="$(convert "$work/post.png" -alpha extract -threshold 0 -format '%@' info: | sed -E 's/x/ /;s/\+.*//')"
awk -v d="$drawn" 'BEGIN { split(d, s, " "); exit !(s[1] >= 0.85 * 384 || s[2] >= 0.85 * 395) }' ||
  fail "the fitted preview's model takes $drawn of 384 x 395"
awk -v s="$(saturation "$work/post.png")" 'BEGIN { exit !(s > 0.05) }' || fail "the preview is not skinned"

[ "$failures" = 0 ] && echo "desktop tests passed" || exit 1
