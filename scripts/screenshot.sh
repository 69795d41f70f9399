#!/usr/bin/env bash
# Draws docs/screenshot.png: the desktop program's main window with the demo
# scenarios in its list beside the preview of one of them. Builds what is
# missing, writes the demo archive and scenarios into a temporary folder and
# runs the windows on a virtual X display with settings and cache folders
# of their own, so that nothing of the user's is read or changed.
#
#   BUILD_DIR  build folder (default build)
#   JOBS       build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
jobs=${JOBS:-2}

scripts/install-deps.sh
[[ -f "$build/build.ninja" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tessel-cli tessel_desktop_screenshot -j "$jobs"

# A short, fixed folder name keeps the paths in the list readable and the
# picture the same from run to run; mkdir fails rather than reuse a folder.
work=/tmp/tessel-demo
mkdir -m 700 "$work" 2>/dev/null || work=$(mktemp -d /tmp/tessel-demo.XXXX)
trap 'rm -rf "$work"' EXIT
"$build/cli/tessel-cli" demo "$work" >/dev/null
mkdir -p "$work/config" "$work/cache" docs
# The settings file is named after the program that reads it; previews a
# little larger than the default 160 pixels balance the two windows.
printf '[Settings]\nSize32=224\nSize64=224\nSize96=224\nSize128=224\nMainDat=%s\n' "$work/MAINDAT.WAR" \
  >"$work/config/tessel_desktop_screenshot.ini"

export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
shot=("$build/tests/app/tessel_desktop_screenshot" docs/screenshot.png "$work/scenarios" demo_forest_kingdoms.pud)
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x800x24" "${shot[@]}"
else
  QT_QPA_PLATFORM=offscreen "${shot[@]}"
fi
