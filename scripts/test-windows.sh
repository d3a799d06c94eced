#!/usr/bin/env bash
# Cross-builds the Windows programs (scripts/build-windows.sh) and runs their
# tests under Wine through CTest. The Wine prefix lives in build-win/wineprefix
# and is made once, before the tests start, so that parallel tests never race
# to make it. A private Xvfb gives Wine a display for the tests that open
# windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dir=$(bash scripts/build-windows.sh | tail -n 1)

export WINEPREFIX="$root/$dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  echo "Making the Wine prefix $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [[ -z "${DISPLAY:-}" ]]; then
  # Xvfb writes the number of the free display it took once it listens.
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$numfile" ]] && break
    sleep 0.1
  done
  num=$(head -n 1 "$numfile")
  rm -f "$numfile"
  [[ -n "$num" ]] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$num"
fi

cd "$dir"
ctest --output-on-failure -j "$(nproc)" --timeout 600
