#!/usr/bin/env bash
# The viewer in a real window, under Xvfb, driven with xdotool: start-up,
# opening and saving through the file choosers, frames, playback, toolbar,
# mouse, zoom and skin, each screenshot compared pixel for pixel with
# velmorin-cli's headless render of the same state; and closing during
# playback.
#
#   window_tests.sh VIEWER VELMORIN_CLI SAMPLE_DIR   (run on an X server: tests/x11/with_xvfb.sh)
set -euo pipefail
viewer="$1" cli="$2" sample="$3"
work="$(mktemp -d)"
pid="" wm=""  # set once the viewer and the window manager start; the trap runs on any failure before that too
trap 'for p in $pid $wm; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
export HOME="$work/home" VELMORIN_LAYER_LOG="$work/layer.log"
# Mesa's software rasteriser on both sides, so that the window (GLX) and the
# headless renders (EGL) draw alike on any machine, one with a GPU included.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
mkdir -p "$HOME/.local/share"
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

within() {  # within TENTHS COMMAND...: until it succeeds, at most TENTHS tenths of a second
  local tenths="$1"; shift
  for _ in $(seq "$tenths"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
wait_for() {  # wait_for DESCRIPTION COMMAND...: until it succeeds, at most about 60 s
  local what="$1"; shift
  within 600 "$@" && return 0
  echo "timed out waiting for $what; the layer log's last lines (playback's aside), then the viewer's standard error:"
  grep -v '^status ' "$VELMORIN_LAYER_LOG" 2>/dev/null | tail -n 15 | sed 's/^/  log: /'
  tail -n 15 "$work/viewer.err" 2>/dev/null | sed 's/^/  err: /'
  return 1
}

# Lines of the layer log that start with $1.
logged() { grep -c "^$1" "$VELMORIN_LAYER_LOG" || true; }
wait_logged() {  # wait_logged PREFIX BEFORE [MORE]: until MORE (1) lines with PREFIX follow the BEFORE counted
  wait_for "$1" bash -c "[ \$(grep -c '^$1' '$VELMORIN_LAYER_LOG') -ge $(($2 + ${3:-1})) ]"
}

window_named() { xdotool search --onlyvisible --name "^$1\$" | head -n 1; }
window_gone() {  # window_gone TITLE: wait until no window of that title is shown
  wait_for "\"$1\" to close" bash -c "! xdotool search --onlyvisible --name '^$1\$'"
}

# Types a path into the GTK chooser titled $1: the clipboard, Ctrl+L, Ctrl+V,
# Return. The clipboard's owner notes each request it serves: Return waits
# for the chooser's, so it follows the pasted text. Until $3 holds (by
# default: no window of that title is left), Return again: on a loaded
# machine GTK's completion list can pop up over the name late and take the
# first Return.
choose_path() {
  wait_for "the chooser \"$1\"" window_named "$1"
  local chooser clipboard served done="${3:-! xdotool search --onlyvisible --name '^$1\$'}"
  chooser="$(window_named "$1")"
  printf '%s' "$2" | xclip -verbose -selection clipboard >"$work/clipboard.log" 2>&1 & clipboard=$!
  wait_for "the clipboard" bash -c "[ \"\$(xclip -o -selection clipboard)\" = '$2' ]"
  served="$(grep -c 'Waiting for selection request' "$work/clipboard.log")"
  xdotool windowfocus --sync "$chooser" key ctrl+l ctrl+a ctrl+v
  wait_for "the chooser's paste" bash -c "[ \$(grep -c 'Waiting for selection request' '$work/clipboard.log') -gt $served ]"
  for _ in 1 2 3; do
    xdotool key Return
    within 100 bash -c "$done" && break
    xdotool windowfocus --sync "$chooser" 2>/dev/null || true
  done
  kill "$clipboard" 2>/dev/null || true
  wait_for "the chooser to take \"$2\"" bash -c "$done"
}

key() {  # key COMBINATION: to the main window, until the layer has taken each of its keys
  local before; before="$(logged 'input key down')"
  xdotool windowfocus --sync "$main" key "$1"
  wait_logged 'input key down' "$before" "$(echo "$1" | tr '+' '\n' | wc -l)"
}
open_menu() {  # open_menu COMBINATION: a menu key, until its menu's loop takes the keys that follow
  local before; before="$(logged 'input menu open')"
  key "$1"
  wait_logged 'input menu open' "$before"
}

screenshot() {  # screenshot NAME: F12, a new file, and wait for it
  key F12
  choose_path "Save Screen shot" "$work/$1.bmp"
  wait_for "$1.bmp" test -s "$work/$1.bmp"
}

same_as_headless() {  # same_as_headless NAME [RENDER OPTIONS...]: the sample in that state
  local name="$1"; shift
  "$cli" render "$sample/lantern.md2" "$@" -o "$work/$name-headless.bmp"
  cmp -s "$work/$name.bmp" "$work/$name-headless.bmp" || fail "$name differs from the headless render"
}

"$viewer" 2>"$work/viewer.err" & pid=$!
wait_for "the main window" window_named Velmorin
main="$(window_named Velmorin)"

# Start-up: title, place and size as the program asks on a 1280 x 1024 screen.
[ "$(xdotool getwindowname "$main")" = Velmorin ] || fail "the title"
xprop -id "$main" WM_CLASS | grep -q '"Velmorin"$' || fail "the X11 class: $(xprop -id "$main" WM_CLASS)"
geometry="$(xdotool getwindowgeometry "$main")"
echo "$geometry" | grep -q "Position: 448,293" || fail "the position: $geometry"
echo "$geometry" | grep -q "Geometry: 384x461" || fail "the size: $geometry"
wait_for "Welcome!" grep -qx "status Welcome!" "$VELMORIN_LAYER_LOG" || fail "Welcome! in the status bar"

# Open the sample, save a screenshot with the frame's default name offered.
# With no window manager the keyboard comes back to the main window when the
# chooser closes: F12, with the pointer off the window, reaches it.
key alt+o
choose_path "Open MD2" "$sample/lantern.md2"
wait_for "frame spin01" grep -qx "status spin01" "$VELMORIN_LAYER_LOG" || fail "the first frame's name"
xdotool mousemove 5 5 key F12
choose_path "Save Screen shot" "$work/opened.bmp" || fail "F12 was lost after the chooser closed"
wait_for "opened.bmp" test -s "$work/opened.bmp"
grep -q 'shown save "Save Screen shot" "spin01.bmp"' "$VELMORIN_LAYER_LOG" || fail "the default file name"
same_as_headless opened
# Saving over it asks Windows' question, Yes or No; No is the chooser again.
saves="$(logged 'shown save')"
key F12
choose_path "Save Screen shot" "$work/opened.bmp" \
  "grep -q '^shown message \"Save Screen shot\" \"opened.bmp already exists.\$' '$VELMORIN_LAYER_LOG'" ||
  fail "no overwrite question"
grep -A1 '^shown message "Save Screen shot" "opened.bmp already exists.$' "$VELMORIN_LAYER_LOG" | tail -n 1 |
  grep -qx 'Do you want to replace it?"' || fail "the overwrite question's text"
xdotool key n
wait_logged 'shown save' "$saves" 2 || fail "No did not go back to the chooser"
wait_for "the chooser again" window_named "Save Screen shot"
xdotool windowfocus --sync "$(window_named "Save Screen shot")" key Escape
window_gone "Save Screen shot"

# N steps a frame; the toolbar's last-frame button goes to the end.
key n
screenshot next
same_as_headless next --frame 1
xdotool mousemove --window "$main" $((5 * 23 + 11)) $((20 + 2 + 11)) click 1
wait_for "the last frame" grep -qx "status breathe04" "$VELMORIN_LAYER_LOG"
screenshot last
same_as_headless last --frame breathe04

# P plays: the status bar moves off the last frame (waited for, not timed:
# a slow machine drops ticks); S stops.
key Home  # no command: the key is not in the table
before="$(wc -l <"$VELMORIN_LAYER_LOG")"
key p
wait_for "playback to move on" bash -c \
  "tail -n +$((before + 1)) '$VELMORIN_LAYER_LOG' | grep '^status ' | grep -vqx 'status breathe04'" ||
  fail "playback did not move on"
key s

# Menu keys, as in Windows' menu loop (the layer logs each state it shows):
# Alt+F pulls File down, Right and Right go on round the bar to Help; a lone
# Alt highlights the bar and H opens Help; Return opens the About box from
# either. Escape puts a menu away leaving its bar item highlighted, a second
# leaves the bar; F10 only highlights.
menu_states_since() { tail -n +$(($1 + 1)) "$VELMORIN_LAYER_LOG" | grep '^menu ' | tr '\n' '|'; }
for keys in "alt+f Right Right Return" "alt h Return"; do
  set -- $keys
  before="$(wc -l <"$VELMORIN_LAYER_LOG")" shown="$(logged 'shown dialog "Velmorin"')"
  open_menu "$1"; shift
  xdotool key "$@"
  wait_logged 'shown dialog "Velmorin"' "$shown" || fail "$keys did not open the About box: $(menu_states_since "$before")"
  xdotool key Return
  wait_for "the About box to close" bash -c "[ \$(xdotool search --onlyvisible --name '^Velmorin\$' | wc -l) = 1 ]"
done
# Right from Help stops at the system menu, pulled down at the window's corner.
for case in "alt+h|Escape Escape|menu &Help pulled down: About|menu &Help|" "F10|Escape|menu &File|" \
  "alt+h|Right Escape Escape|menu &Help pulled down: About|menu System menu pulled down: &Restore|menu System menu|" \
  "F10|Left Right Escape|menu &File|menu System menu|menu &File|"; do
  IFS='|' read -r menu_key escapes expected <<<"$case"
  expected="${case#*|*|}"
  before="$(wc -l <"$VELMORIN_LAYER_LOG")" closed="$(logged 'input menu closed')"
  open_menu "$menu_key"
  xdotool key $escapes
  wait_logged 'input menu closed' "$closed"
  [ "$(menu_states_since "$before")" = "$expected" ] ||
    fail "$menu_key then $escapes showed: $(menu_states_since "$before")"
done

# Dialogs laid out from their font's own base units: every caption, button
# text and static text of the Gamma dialog and the About box, measured with
# the font drawn, fits its room ("fit TEXT WxH in WxH at X,Y" in the log).
dialog_fits() {  # dialog_fits CAPTION: the fit lines logged since that dialog was shown
  awk -v shown="shown dialog \"$1\"" 'index($0, shown) == 1 { k = 0; seen = 1 } seen && /^fit / { lines[++k] = $0 }
    END { for (i = 1; i <= k; i++) print lines[i] }' "$VELMORIN_LAYER_LOG"
}
check_fits() {  # check_fits CAPTION COUNT
  local fits; fits="$(dialog_fits "$1")"
  [ "$(echo "$fits" | grep -c '^fit ')" = "$2" ] || fail "$1: $2 texts measured: $fits"
  echo "$fits" | sed -E 's/.* ([0-9]+)x([0-9]+) in ([0-9]+)x([0-9]+) at .*/\1 \2 \3 \4/' |
    awk '$1 > $3 || $2 > $4 { bad = 1 } END { exit bad }' || fail "$1: a text overflows its room: $fits"
}
xdotool mousemove 5 5  # off every window: the dialog takes the keys all the same
open_menu F10; xdotool key Right Down Return
wait_for "the Gamma dialog" window_named "Gamma Correction" || fail "the Gamma dialog did not open"
check_fits "Gamma Correction" 4
# It is a fixed dialog of the main window, in the hints window managers read:
# dialog type, transient for its owner, one size, and Motif functions
# without minimise (0x8), maximise (0x10) or resize (0x2).
hints="$(xprop -id "$(window_named "Gamma Correction")" _MOTIF_WM_HINTS _NET_WM_WINDOW_TYPE WM_TRANSIENT_FOR WM_NORMAL_HINTS)"
read -r motif_flags motif_functions < <(echo "$hints" | sed -n 's/^_MOTIF_WM_HINTS.* = \(0x[0-9a-f]*\), \(0x[0-9a-f]*\),.*/\1 \2/p')
echo "$hints" | grep -q "_NET_WM_WINDOW_TYPE_DIALOG" &&
  echo "$hints" | grep -q "WM_TRANSIENT_FOR(WINDOW): window id # $(printf '0x%x' "$main")$" &&
  [ "$(echo "$hints" | sed -n 's/.*minimum size: //p')" = "$(echo "$hints" | sed -n 's/.*maximum size: //p')" ] &&
  (( (motif_flags & 1) && !(motif_functions & 0x1b) )) || fail "the Gamma dialog's window-manager hints: $hints"
xdotool key Escape
window_gone "Gamma Correction"
open_menu alt+h; xdotool key Return  # a menu opened by its mnemonic starts at its first item
wait_for "the About box" grep -q '^shown dialog "Velmorin"' "$VELMORIN_LAYER_LOG" || fail "the About box did not open"
about_measured() { [ "$(dialog_fits Velmorin | grep -c '^fit ')" -ge 5 ]; }
wait_for "the About box's texts measured" about_measured
check_fits Velmorin 5
# Its three lines, in a screenshot, are three separate rows of text pixels,
# each inside its own text's rectangle (taken again until drawn).
about_lines_apart() {
about="$(xdotool search --onlyvisible --name '^Velmorin$' | grep -vx "$main" | head -n 1)"
import -window "$about" "$work/about.png"
dialog_fits Velmorin | grep -v '"OK"' | tail -n 3 | sed -E 's/.* in ([0-9]+)x([0-9]+) at ([0-9]+),([0-9]+)$/\1 \2 \3 \4/' >"$work/about-lines"
read -r width _ left top <"$work/about-lines"
bottom="$(tail -n 1 "$work/about-lines" | awk '{ print $4 + $2 }')"
convert "$work/about.png" -crop "${width}x$((bottom - top))+$left+$top" -colorspace Gray -threshold 50% -negate \
  -scale "1x$((bottom - top))!" txt:- | tail -n +2 | sed -E 's/^0,([0-9]+):.*gray\(([0-9.]+)%?\).*/\1 \2/' |
  awk -v top="$top" 'NR == FNR { lo[FNR] = $4 - top; hi[FNR] = $4 - top + $2; next }
    { inked = $2 > 0 } inked && !was { runs++; start = $1 } !inked && was { check(start, $1) } { was = inked; last = $1 }
    function check(a, b,   i, ok) { for (i = 1; i <= 3; i++) if (a >= lo[i] && b <= hi[i]) ok = 1; if (!ok) stray = 1 }
    END { if (was) check(start, last + 1); exit !(runs == 3 && !stray) }' "$work/about-lines" -
}
wait_for "the About box drawn" about_lines_apart ||
  fail "the About box's lines are not three separate rows inside their rectangles"
xdotool key Return
wait_for "the About box to close" bash -c "[ \$(xdotool search --onlyvisible --name '^Velmorin\$' | wc -l) = 1 ]"

# An open menu does not stop playback: timers and paints go on under it, as
# under Windows' menu loop. The File menu is pulled down with a click.
key p
before="$(logged 'input menu open')"
xdotool mousemove --window "$main" 15 10 click 1
wait_logged 'input menu open' "$before"
before="$(wc -l <"$VELMORIN_LAYER_LOG")"
wait_for "playback under the open File menu" bash -c \
  "[ \$(tail -n +$((before + 1)) '$VELMORIN_LAYER_LOG' | grep -c '^status ') -ge 3 ]" ||
  fail "playback stopped while the File menu was open"
before="$(logged 'input menu closed')"
xdotool key Escape Escape
wait_logged 'input menu closed' "$before"
key s

# Nor do the file choosers: the frames shown keep changing while the model's
# and the skin's choosers are up; Escape cancels each, the model stays.
key p
for chooser_key in alt+o alt+s; do
  title="Open MD2"; [ "$chooser_key" = alt+s ] && title="Open PCX Skin"
  key "$chooser_key"
  wait_for "the chooser \"$title\"" window_named "$title"
  before="$(wc -l <"$VELMORIN_LAYER_LOG")"
  wait_for "playback under \"$title\"" bash -c \
    "[ \$(tail -n +$((before + 1)) '$VELMORIN_LAYER_LOG' | grep -c '^status ') -ge 3 ]" ||
    fail "playback stopped while \"$title\" was open"
  xdotool windowfocus --sync "$(window_named "$title")" key Escape
  window_gone "$title"
done
# A missing file typed into the model's chooser: Windows' not-found message,
# captioned with the chooser's title, its warning icon drawn; then the
# chooser again with the typed name kept and selected (Return finds it
# missing again; typing replaces it). Escape cancels it, and the model shown
# before plays on. The chooser and the message take the keys with the
# pointer off them, as they would from a window manager.
not_found() {  # not_found PATH COUNT: until COUNT not-found messages for PATH were shown
  [ "$(grep -c "^shown message \"Open MD2\" \"$1\$" "$VELMORIN_LAYER_LOG")" -ge "$2" ]
}
yellow_icon() {  # the message's warning triangle, in pixels
  import -window "$(window_named "Open MD2")" "$work/message.png" &&
    [ "$(convert "$work/message.png" -fill black +opaque 'rgb(255,255,0)' -fill white -opaque 'rgb(255,255,0)' \
      -format '%[fx:int(mean*w*h)]' info:)" -gt 200 ]
}
kept="$(logged 'input chooser name kept')"
key alt+o
wait_for "the chooser \"Open MD2\"" window_named "Open MD2"
xdotool mousemove 5 5
printf '%s' "$work/missing.md2" | xclip -verbose -selection clipboard >"$work/clipboard.log" 2>&1 & clipboard=$!
wait_for "the clipboard" bash -c "[ \"\$(xclip -o -selection clipboard)\" = '$work/missing.md2' ]"
served="$(grep -c 'Waiting for selection request' "$work/clipboard.log")"
wait_for "the chooser to take the keyboard" bash -c "[ \"\$(xdotool getwindowfocus)\" = \"$(window_named "Open MD2")\" ]"
xdotool key ctrl+l ctrl+a ctrl+v
wait_for "the chooser's paste" bash -c "[ \$(grep -c 'Waiting for selection request' '$work/clipboard.log') -gt $served ]"
xdotool key Return
kill "$clipboard" 2>/dev/null || true
wait_for "the not-found message" not_found "$work/missing.md2" 1 || fail "no not-found message for a missing file"
grep -A2 "^shown message \"Open MD2\" \"$work/missing.md2\$" "$VELMORIN_LAYER_LOG" | tail -n 2 | tr '\n' '|' |
  grep -q '^File not found|Please verify that the correct file name was given"|' || fail "the not-found message's text"
wait_for "the message's warning icon" yellow_icon || fail "the not-found message has no warning icon"
# GTK loads the folder while the keys come: on a loaded machine a key can be
# lost, so each step is tried again, on the message shown by then.
again_until() {  # again_until DESCRIPTION CHECK KEYS: the keys (xdotool commands) until CHECK holds, three tries
  local what="$1" check="$2" keys="$3" kept_now
  for _ in 1 2 3; do
    eval "$keys"
    within 100 $check && return 0
    kept_now="$(logged 'input chooser name kept')"
    xdotool key Return  # OK to a message a stray Return showed, if any: the chooser comes back
    within 100 bash -c "[ \$(grep -c '^input chooser name kept' '$VELMORIN_LAYER_LOG') -gt $kept_now ]" || true
  done
  echo "timed out waiting for $what"; return 1
}
xdotool key Return
wait_logged 'input chooser name kept' "$kept" || fail "the chooser did not come back with the typed name"
again_until "the kept name found missing again" "not_found $work/missing.md2 2" "xdotool key Return" || fail "the typed name was not kept"
xdotool key Return
wait_logged 'input chooser name kept' "$kept" 2
again_until "the name typed over the kept one" "not_found $work/gone.md2 1" "xdotool type gone.md2; xdotool key Return" ||
  fail "the kept name was not selected"
xdotool key Return
wait_logged 'input chooser name kept' "$kept" 3
xdotool key Escape
window_gone "Open MD2"
before="$(wc -l <"$VELMORIN_LAYER_LOG")"
wait_for "playback after the cancelled chooser" bash -c \
  "[ \$(tail -n +$((before + 1)) '$VELMORIN_LAYER_LOG' | grep -c '^status ') -ge 3 ]" ||
  fail "the model stopped playing after a missing file was typed"
key s

# The keypad plus zooms, a left-drag turns the model.
key Left
key KP_Add
# Each step waits for the layer: the button taken, the move taken with the
# button held (the program puts the cursor back), the release.
before="$(logged 'input button')"
xdotool mousemove --window "$main" 192 $((20 + 220)) mousedown 1
wait_logged 'input button' "$before"
placed="$(logged 'input cursor placed')"
xdotool mousemove --window "$main" 212 $((20 + 210))
wait_logged 'input cursor placed' "$placed"
xdotool mouseup 1
wait_logged 'input button' "$before" 2
screenshot turned
same_as_headless turned --zoom 1 --orbit 20,-10

# Alt+S puts the sample skin on: the textured picture. With the model opened
# again first, the skin's chooser starts in the model's folder (a chosen
# file's folder becomes the current one, as on Windows).
key alt+o
choose_path "Open MD2" "$sample/lantern.md2"
key alt+s
choose_path "Open PCX Skin" "$sample/lantern.pcx"
screenshot skinned
same_as_headless skinned --zoom 1 --orbit 20,-10 --skin "$sample/lantern.pcx"
grep -q "shown open \"Open PCX Skin\" .* in \"$(cd "$sample" && pwd -P)\"" "$VELMORIN_LAYER_LOG" ||
  fail "the skin chooser did not start in the model's folder: $(grep 'Open PCX Skin' "$VELMORIN_LAYER_LOG")"

# The colour chooser's boxes take digits only and hold 0-255, as Windows'
# do: 300 (held at 255), 80 and 160 typed into them is the background
# exactly. A colour added to the custom colours is offered again the next
# time the chooser opens.
background_chooser() {  # opens it and waits until it takes typing (the layer log's "shown colour")
  local before; before="$(grep -c '^shown colour' "$VELMORIN_LAYER_LOG" || true)"
  open_menu F10; xdotool key Right Down Down Return
  wait_for "the colour chooser" bash -c "[ \$(grep -c '^shown colour' '$VELMORIN_LAYER_LOG') -gt $before ]" ||
    fail "the colour chooser did not open"
  xdotool windowfocus --sync "$(window_named Color)"
}
background_chooser
xdotool type 300; xdotool key Tab; xdotool type -- -8a0; xdotool key Tab; xdotool type 160
xdotool key alt+a Return
window_gone Color
screenshot coloured
corner="$(convert "$work/coloured.bmp" -format '%[pixel:p{0,0}]' info:)"
[ "$corner" = "srgb(255,80,160)" ] || fail "the background after typing 300, -8a0, 160: $corner"
background_chooser
grep '^shown colour' "$VELMORIN_LAYER_LOG" | tail -n 1 | grep -q ' custom 255,80,160 ' ||
  fail "the custom colour is not offered again: $(grep '^shown colour' "$VELMORIN_LAYER_LOG" | tail -n 1)"
# It opens at black with its spectrum in colour all the same (hundreds of
# colours, pure red among them); Hue 80, Sat 240, Lum 120, typed into the
# boxes their letters select, is pure green.
spectrum_drawn() {
  import -window "$(window_named Color)" "$work/colour.png" &&
    [ "$(convert "$work/colour.png" -format '%k' info:)" -gt 500 ] &&
    convert "$work/colour.png" -format '%c' histogram:info: | grep -c '#FF0000 ' >/dev/null
}
wait_for "the colour chooser's spectrum" spectrum_drawn || fail "the colour chooser's spectrum is not in colour"
xdotool key alt+e; xdotool type 80; xdotool key alt+s; xdotool type 240; xdotool key alt+l; xdotool type 120
xdotool key Return
window_gone Color
screenshot green
corner="$(convert "$work/green.bmp" -format '%[pixel:p{0,0}]' info:)"
[ "$corner" = "srgb(0,255,0)" ] || fail "the background after Hue 80, Sat 240, Lum 120: $corner"

# The status bar's size grip, at the window's bottom-right corner, makes the
# window larger as it is dragged.
read -r width height < <(xdotool getwindowgeometry "$main" | sed -n 's/ *Geometry: \([0-9]*\)x\([0-9]*\)/\1 \2/p')
xdotool mousemove --window "$main" $((width - 3)) $((height - 3)) mousedown 1 mousemove_relative 40 30
grown() { xdotool getwindowgeometry "$main" | grep -q "Geometry: $((width + 40))x$((height + 30))"; }
wait_for "the window to grow by its size grip" grown || fail "the size grip: $(xdotool getwindowgeometry "$main")"
xdotool mouseup 1
# ... and leaves it resizable: the hints keep a least size and no largest.
sizes="$(xprop -id "$main" WM_NORMAL_HINTS)"
echo "$sizes" | grep -q "minimum size: 100 by 100" && ! echo "$sizes" | grep -q "maximum size" ||
  fail "the size grip fixed the window's size: $sizes"

# At 100 pixels wide the menu bar wraps onto rows, as on Windows: no two of
# its items overlap and none leaves the window ("menubar NAME L,T,R,B ...").
xdotool windowsize --sync "$main" 100 300
last_menubar() { grep '^menubar ' "$VELMORIN_LAYER_LOG" | tail -n 1; }
wait_for "the menu bar in rows" bash -c \
  "grep '^menubar ' '$VELMORIN_LAYER_LOG' | tail -n 1 | awk '{ split(\$NF, r, \",\"); exit !(r[4] > 20) }'" ||
  fail "the menu bar did not wrap: $(last_menubar)"
last_menubar | awk '{ for (i = 3; i <= NF; i += 2) { n++; split($i, r, ","); l[n] = r[1]; t[n] = r[2]; R[n] = r[3]; b[n] = r[4]
    if (r[1] < 0 || r[3] > 100) bad = 1 }
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (l[i] < R[j] && l[j] < R[i] && t[i] < b[j] && t[j] < b[i]) bad = 1
  exit bad }' || fail "menu items overlap at 100 pixels wide: $(last_menubar)"
xdotool windowsize --sync "$main" 384 461

# Under a window manager (openbox), as a demanding user finds it: after a
# grip drag the window stays resizable and maximisable (no largest size, the
# manager offers and does maximise); maximised, its status bar has no grip,
# drawn or working; the system menu's Restore, from the keyboard, restores.
openbox --sm-disable >"$work/openbox.log" 2>&1 & wm=$!
wait_for "openbox to frame the main window" bash -c "xprop -id $main _NET_FRAME_EXTENTS | grep -q ' = '"
size_now() { xdotool getwindowgeometry "$main" | sed -n 's/ *Geometry: //p'; }
read -r width height < <(size_now | tr x ' ')
xdotool mousemove --window "$main" $((width - 3)) $((height - 3)) mousedown 1 mousemove_relative 50 40
wait_for "the grip under openbox" bash -c "[ \"\$(xdotool getwindowgeometry $main | sed -n 's/ *Geometry: //p')\" = $((width + 50))x$((height + 40)) ]"
xdotool mouseup 1
hints="$(xprop -id "$main" WM_NORMAL_HINTS _NET_WM_ALLOWED_ACTIONS)"
! echo "$hints" | grep -q "maximum size" && echo "$hints" | grep -q _NET_WM_ACTION_MAXIMIZE_HORZ ||
  fail "after a grip drag the window cannot be maximised: $hints"
wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz
wait_for "the window maximised" bash -c "[ \$(xdotool getwindowgeometry $main | sed -n 's/ *Geometry: \([0-9]*\)x.*/\1/p') -gt 1200 ]" ||
  fail "openbox did not maximise the window after a grip drag: $(size_now)"
no_grip() {  # the status bar's corner is one colour
  import -window "$main" "$work/maximised.png" &&
    [ "$(convert "$work/maximised.png" -gravity SouthEast -crop 12x12+1+1 -format '%k' info:)" = 1 ]
}
wait_for "the grip to go" no_grip || fail "a maximised window shows its size grip"
maximised="$(size_now)"
read -r w h < <(size_now | tr x ' ')
xdotool mousemove --window "$main" $((w - 3)) $((h - 3)) mousedown 1 mousemove_relative -- -200 -100 mouseup 1
sleep 0.5  # a drag that is not taken shows nothing to wait for
[ "$(size_now)" = "$maximised" ] || fail "the grip of a maximised window resized it to $(size_now)"
open_menu F10; xdotool key Left Down Return
wait_for "the system menu's Restore" bash -c "[ \"\$(xdotool getwindowgeometry $main | sed -n 's/ *Geometry: //p')\" = $((width + 50))x$((height + 40)) ]" ||
  fail "the system menu's Restore left the window at $(size_now)"

# Closing while playing ends the program with exit status 1.
before="$(wc -l <"$VELMORIN_LAYER_LOG")"
key p
wait_for "playback" bash -c "tail -n +$((before + 1)) '$VELMORIN_LAYER_LOG' | grep -q '^status '"
key alt+q
status=0; wait "$pid" || status=$?
[ "$status" = 1 ] || fail "the exit status after closing during playback: $status"

[ "$failures" = 0 ] && echo "window tests passed" && exit 0
echo "the viewer's standard error:"
tail -n 40 "$work/viewer.err" | sed 's/^/  err: /'
exit 1
