#!/usr/bin/env bash
# Runs every program once on each of the costliest scenarios, those at the
# size limit and larger ones that must be refused, under /usr/bin/time -v,
# and prints the CPU seconds (user + system), the peak memory and the exit
# status of each run. Images are 256 pixels, units drawn, the built-in
# tileset, one worker.
#
#   bench/limit-programs.sh        (BUILD_DIR: build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
cli=$build/cli/tessel-cli
thumbnailer=$build/thumbnailer/tessel-thumbnailer
writer=$build/bench/tessel_hostile_scenarios
for program in "$cli" "$thumbnailer" "$writer"; do
  [[ -x $program ]] || { echo "missing $program: build it first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tessel-limit.XXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/maps" "$work/config"
"$writer" "$work/maps"
# The thumbnailer reads the desktop program's settings: none here.
export XDG_CONFIG_HOME=$work/config

# Prints one line: CPU seconds, peak memory in MB, exit status.
measure() {
  local report=$work/time.txt
  /usr/bin/time -v -o "$report" "$@" >/dev/null 2>&1 || true
  awk -F': ' '
    /User time/ { user = $2 } /System time/ { kernel = $2 }
    /Maximum resident set size/ { rss = $2 } /Exit status/ { status = $2 }
    END { printf "%6.2f s %7.1f MB  exit %s", user + kernel, rss / 1024, status }' "$report"
}

common=(--no-settings --builtin-tileset --size 256 -j 1 -q)
printf '%-32s %-12s %s\n' "scenario" "program" "CPU, peak memory, status"
for map in "$work"/maps/*.pud; do
  name=$(basename "$map")
  rm -rf "$work/out"
  printf '%-32s %-12s %s\n' "$name" thumbnailer "$(measure "$thumbnailer" -s 256 "$map" "$work/out.png")"
  printf '%-32s %-12s %s\n' "$name" render "$(measure "$cli" render "${common[@]}" -o "$work/out" "$map")"
  printf '%-32s %-12s %s\n' "$name" info "$(measure "$cli" info "$map")"
  printf '%-32s %-12s %s\n' "$name" gallery "$(measure "$cli" gallery "${common[@]}" -o "$work/site" "$map")"
done
