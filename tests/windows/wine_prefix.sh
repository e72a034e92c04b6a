# Sourced by the Wine tests: a new folder `work` holding a Wine prefix of
# their own (both gone, with the prefix's server, on exit), `wine` to run
# programs in it, and fail() counting failures.
work="$(mktemp -d)"
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
wine=/usr/lib/wine/wine64
"$wine" wineboot -i >/dev/null 2>&1 || true
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
