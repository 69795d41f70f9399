#!/usr/bin/env bash
# Draws docs/gallery.png: the gallery of the demo scenarios as headless
# Chromium shows it. Builds what is missing, writes the demo scenarios and
# their gallery into a temporary folder, and photographs index.html with a
# browser profile of its own, so that nothing of the user's is read or
# changed.
#
#   BUILD_DIR  build folder (default build)
#   JOBS       build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
jobs=${JOBS:-2}

scripts/install-deps.sh
[[ -f "$build/build.ninja" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tessel-cli -j "$jobs"

work=$(mktemp -d /tmp/tessel-gallery.XXXX)
trap 'rm -rf "$work"' EXIT
"$build/cli/tessel-cli" demo "$work" >/dev/null
"$build/cli/tessel-cli" gallery --no-settings -q --builtin-tileset --title "Demo maps" \
  -o "$work/site" "$work/scenarios"

# Headless, with everything that would reach for the network switched off.
mkdir -p docs
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$work/profile" --hide-scrollbars \
  --window-size=1100,1130 --screenshot="$PWD/docs/gallery.png" "file://$work/site/index.html" 2>/dev/null
echo "Wrote docs/gallery.png"
