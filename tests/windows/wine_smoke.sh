#!/usr/bin/env bash
# The 64-bit Windows build under Wine, driven with xdotool: open the sample
# model, F12 to save a screenshot, then the toolbar's next-frame button and
# another screenshot. Each must equal the headless render of the same steps
# with a drawing area of the same size (Wine's frame and bars are not the
# layer's; the picture within them is the same, so no tolerance is needed).
#
#   wine_smoke.sh VELMORIN_EXE VELMORIN_CLI SAMPLE_DIR   (run on an X server: tests/x11/with_xvfb.sh)
set -euo pipefail
exe="$1" cli="$2" sample="$(cd "$3" && pwd)"
work="$(mktemp -d)"
pid=""  # set once the program starts; the trap runs on any failure before that too
trap 'if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi; /usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
# Mesa's software rasteriser on both sides (Wine's GL and the headless EGL
# renders), so that the pictures match on a machine with a GPU too.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
wine=/usr/lib/wine/wine64
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

wait_for() {  # wait_for DESCRIPTION SECONDS COMMAND...
  local what="$1" seconds="$2"; shift 2
  for _ in $(seq $((seconds * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "timed out waiting for $what"
  [ -n "${VELMORIN_FAILURE_PICTURE:-}" ] && import -window root "$VELMORIN_FAILURE_PICTURE"
  return 1
}
window_named() { xdotool search --onlyvisible --name "^$1\$" | head -n 1; }
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Wine's open and save dialogs take a typed Z:\ path.
choose_path() {
  wait_for "the dialog \"$1\"" 20 window_named "$1"
  xdotool windowfocus --sync "$(window_named "$1")"
  xdotool key ctrl+a; xdotool type --delay 20 "$(windows_path "$2")"; xdotool key Return
  wait_for "the dialog \"$1\" to close" 20 bash -c "! xdotool search --onlyvisible --name '^$1\$'"
}

# A BMP file is whole once it is as long as its header says.
bmp_whole() {
  [ -s "$1" ] && [ "$(stat -c %s "$1")" = "$(od -An -tu4 -j2 -N4 "$1" | tr -d ' ')" ]
}

screenshot() {
  xdotool windowfocus --sync "$main" key F12
  choose_path "Save Screen shot" "$work/$1.bmp"
  wait_for "$1.bmp" 20 bmp_whole "$work/$1.bmp"
}

same_as_headless() {  # same_as_headless NAME [RENDER OPTIONS...], at Wine's drawing-area size
  local name="$1"; shift
  local width height
  width=$(od -An -tu4 -j18 -N4 "$work/$name.bmp" | tr -d ' ')
  height=$(od -An -tu4 -j22 -N4 "$work/$name.bmp" | tr -d ' ')
  "$cli" render "$sample/lantern.md2" --size "${width}x${height}" "$@" -o "$work/$name-headless.bmp"
  cmp -s "$work/$name.bmp" "$work/$name-headless.bmp" || fail "$name differs from the headless render"
  echo "$name: ${width}x${height}"
}

"$wine" wineboot -i >/dev/null 2>&1 || true
"$wine" "$exe" & pid=$!
wait_for "the main window" 60 window_named Velmorin
main="$(window_named Velmorin)"

xdotool windowfocus --sync "$main" key alt+o
choose_path "Open MD2" "$sample/lantern.md2"
screenshot first
same_as_headless first

# The toolbar lies at the top of the client area, under the menu bar:
# button 4 (next frame) is the fifth of 23-pixel buttons.
xdotool mousemove --window "$main" $((4 * 23 + 11)) $((19 + 2 + 11)) click 1
screenshot next
same_as_headless next --frame 1

xdotool windowfocus --sync "$main" key alt+q
status=0; wait "$pid" || status=$?
[ "$status" = 1 ] || fail "exit status $status"
[ "$failures" = 0 ] && echo "Wine smoke test passed" || exit 1
