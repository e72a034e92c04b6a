#!/usr/bin/env bash
# Runs a command on a new Xvfb of its own, 1280 x 1024 x 24:
#   with_xvfb.sh COMMAND [ARGUMENT...]
# The server picks a free display itself and says which (-displayfd), so two
# servers starting at once never race for one number, as xvfb-run -a can.
set -euo pipefail
folder="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$folder/display" 2>"$folder/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$folder"' EXIT
for _ in $(seq 300); do  # up to about 30 s on a loaded machine
  [ -s "$folder/display" ] && break
  kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start:"; tail -n 20 "$folder/xvfb.log"; exit 1; }
  sleep 0.1
done
[ -s "$folder/display" ] || { echo "Xvfb named no display within 30 s:"; tail -n 20 "$folder/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n 1 "$folder/display")"
unset XAUTHORITY
status=0
"$@" || status=$?
exit "$status"
