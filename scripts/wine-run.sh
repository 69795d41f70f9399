#!/usr/bin/env bash
# Runs a Windows program under wine in a private prefix, for the Windows
# build (its cross-compiling emulator) and its tests:
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The prefix is made once (wineboot -i), under a lock, by whichever run
# comes first; later runs, also parallel ones, reuse it. wine's own chatter
# is off, so that what a test reads is what the program wrote.
set -euo pipefail
prefix=$(realpath -m "$1")
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# No desktop: programs that would open a window find no display.
unset DISPLAY WAYLAND_DISPLAY

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [[ ! -f "$prefix/.tessel-ready" ]]; then
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1
    # wineboot returns before the prefix's server has written everything.
    wineserver -w
    touch "$prefix/.tessel-ready"
  fi
) 9>"$prefix.lock"

exec wine "$@"
