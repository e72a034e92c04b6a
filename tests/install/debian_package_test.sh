#!/usr/bin/env bash
# The Debian package as a user meets it:
#   debian_package_test.sh PACKAGE.deb SAMPLE_DIR
# lintian finds no error or warning and the desktop entry validates; apt-get
# installs it with the dependencies it computed; the installed programs run,
# the manual pages render, the menu entry's program and icon resolve; removal
# leaves none of its files. Needs root (or sudo): it installs system-wide.
set -euo pipefail
deb="$(realpath "$1")" sample="$(realpath "$2")"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
work="$(mktemp -d)"
trap '$sudo dpkg --purge velmorin >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
apt() { DEBIAN_FRONTEND=noninteractive $sudo apt-get "$@" -y -qq >/dev/null; }

echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error,warning "$deb" || fail "lintian"

dpkg -s velmorin >/dev/null 2>&1 && $sudo dpkg --purge velmorin >/dev/null
apt install "$deb" || fail "apt-get install"
files="$(dpkg -L velmorin | while read -r path; do [ -f "$path" ] && echo "$path"; done)"

[ "$(command -v velmorin)" = /usr/bin/velmorin ] || fail "velmorin is not on the path"
version="$(velmorin-cli --version)" || fail "velmorin-cli --version"
echo "installed: $version"
velmorin-cli render "$sample/lantern.md2" --skin "$sample/lantern.pcx" -o "$work/lantern.bmp" ||
  fail "velmorin-cli render"
[ "$(head -c 2 "$work/lantern.bmp" 2>/dev/null)" = BM ] || fail "the render is not a BMP file"
for page in velmorin velmorin-cli; do
  man -P cat "$page" 2>/dev/null | grep -q "^NAME" || fail "man $page does not render"
done

entry=/usr/share/applications/velmorin.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate"
program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
icon="$(sed -n 's/^Icon=//p' "$entry")"
[ -n "$(command -v "$program")" ] || fail "the entry's program $program is not on the path"
for size in 32x32 128x128; do
  png="/usr/share/icons/hicolor/$size/apps/$icon.png"
  [ "$(identify -format %wx%h "$png" 2>/dev/null)" = "$size" ] || fail "no $size icon named $icon"
done

# At home on the desktop: MD2 files are model/x-md2 once dpkg's trigger has
# updated the MIME database; the thumbnailer's Exec line runs as a file
# manager runs it; bash completes the commands.
cp "$sample/lantern.md2" "$work/lantern.md2"
content_type() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
[ "$(content_type "$work/lantern.md2")" = model/x-md2 ] || fail "an installed system calls .md2 $(content_type "$work/lantern.md2")"
thumbnailer=/usr/share/thumbnailers/velmorin.thumbnailer
grep -qx 'MimeType=model/x-md2;' "$thumbnailer" || fail "the thumbnailer entry's MIME type"
exec_line="$(sed -n 's/^Exec=//p' "$thumbnailer")"
exec_line="${exec_line//%i/$work/lantern.md2}"
exec_line="${exec_line//%o/$work/thumbnail.png}"
${exec_line//%s/128} || fail "the thumbnailer's Exec line"
[ "$(identify -format '%wx%h %[channels]' "$work/thumbnail.png" 2>/dev/null)" = "128x128 srgba" ] ||
  fail "the installed thumbnailer's picture"
grep -qx 'MimeType=image/vnd.zbrush.pcx;image/x-pcx;' /usr/share/thumbnailers/velmorin-pcx.thumbnailer ||
  fail "the PCX thumbnailer entry"
# GNOME Files runs thumbnailers in a bubblewrap sandbox that shows the model
# alone (as gnome-desktop's thumbnailer does): no skin to find, so grey, and exit 0.
cp "$sample/lantern.pcx" "$work/lantern.pcx"
mkdir -p "$work/sandboxed"
bwrap --ro-bind /usr /usr --ro-bind /etc/ld.so.cache /etc/ld.so.cache --symlink usr/lib /lib \
  --symlink usr/lib64 /lib64 --symlink usr/bin /bin --proc /proc --dev /dev --chdir / --unshare-all \
  --die-with-parent --tmpfs /tmp --ro-bind "$work/lantern.md2" /tmp/gnome-desktop-file-to-thumbnail.md2 \
  --bind "$work/sandboxed" /tmp/out \
  velmorin-cli thumbnail /tmp/gnome-desktop-file-to-thumbnail.md2 /tmp/out/thumbnail.png 128 ||
  fail "the thumbnailer in GNOME's sandbox"
saturation="$(convert "$work/sandboxed/thumbnail.png" -alpha off -colorspace HSL -channel G -separate +channel \
  -format '%[fx:mean]' info: 2>/dev/null || echo 1)"
awk -v s="$saturation" 'BEGIN { exit !(s < 0.05) }' || fail "the sandboxed thumbnail is not grey ($saturation)"
velmorin-cli render "$sample/lantern.md2" --animation spin -o "$work/spin.gif" || fail "velmorin-cli render to GIF"
bash -c 'source /usr/share/bash-completion/completions/velmorin-cli && complete -p velmorin-cli' >/dev/null ||
  fail "the bash completion"

apt remove --purge velmorin || fail "apt-get remove"
[ "$(content_type "$work/lantern.md2")" != model/x-md2 ] || fail "model/x-md2 is still known after removal"
dpkg -s velmorin >/dev/null 2>&1 && fail "still installed after removal"
while read -r path; do
  [ -e "$path" ] && fail "left behind: $path"
done <<<"$files"
echo "$(wc -l <<<"$files") files installed and removed"

[ "$failures" = 0 ] && echo "Debian package test passed" || exit 1
