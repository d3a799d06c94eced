#!/usr/bin/env bash
# Runs one Windows program under Wine for the cross build's tests: a prefix of
# the build's own (made on first use), no Wine debug chatter, and no prompt to
# fetch Mono or Gecko, which nothing here uses.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build-win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
exec wine "$@"
