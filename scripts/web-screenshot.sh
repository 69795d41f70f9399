#!/usr/bin/env bash
# Draws docs/web.png: the web page as headless Chromium shows it, opened from
# disk, with the demo scenarios chosen and drawn in the colours of the demo
# archive. Builds what is missing, writes the demo data into a temporary
# folder and runs the browser with a profile of its own, so that nothing of
# the user's is read or changed.
#
#   BUILD_DIR  build folder (default build)
#   JOBS       build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
jobs=${JOBS:-2}

scripts/install-deps.sh
[[ -f "$build/build.ninja" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tessel-cli tessel_web_page tessel_web_page_screenshot -j "$jobs"

work=$(mktemp -d /tmp/tessel-web.XXXX)
trap 'rm -rf "$work"' EXIT
"$build/cli/tessel-cli" demo "$work" >/dev/null
mkdir -p docs
"$build/tests/tessel_web_page_screenshot" docs/web.png "$build/web/dist/index.html" "$work/MAINDAT.WAR" \
  "$work"/scenarios/*.pud
echo "Wrote docs/web.png"
