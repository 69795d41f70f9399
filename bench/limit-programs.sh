#!/usr/bin/env bash
# Runs every program once on each of the costliest scenarios, those at the
# size limit and larger ones that must be refused, under /usr/bin/time -v,
# and prints the CPU seconds (user + system), the peak memory and the exit
# status of each run. Images are 256 pixels, units drawn, the built-in
# tileset, one worker.
#
#   bench/limit-programs.sh [--check]
#
#   --check    also fail unless every program read each file at the limit
#              (status 0) and refused each larger one (status 1)
#   BUILD_DIR  build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
[[ ${1:-} == --check ]] && check=true
build=${BUILD_DIR:-build}
cli=$build/cli/tessel-cli
thumbnailer=$build/thumbnailer/tessel-thumbnailer
writer=$build/tests/fixtures/tessel_hostile_scenarios
for program in "$cli" "$thumbnailer" "$writer" /usr/bin/time; do
  [[ -x $program ]] || { echo "missing $program" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tessel-limit.XXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/maps" "$work/config"
"$writer" "$work/maps"
# The thumbnailer reads the desktop program's settings: none here.
export XDG_CONFIG_HOME=$work/config

# Prints one line: CPU seconds, peak memory in MB, exit status; with
# --check, marks a status other than the one expected.
measure() {
  local expected=$1 report=$work/time.txt
  shift
  /usr/bin/time -v -o "$report" "$@" >/dev/null 2>&1 || true
  awk -F': ' '
    /User time/ { user = $2 } /System time/ { kernel = $2 }
    /Maximum resident set size/ { rss = $2 } /Exit status/ { status = $2 }
    END { printf "%6.2f s %7.1f MB  exit %s", user + kernel, rss / 1024, status }' "$report"
  local status
  status=$(sed -n 's/^\tExit status: //p' "$report")
  if $check && [[ $status != "$expected" ]]; then
    printf '  FAILED: expected exit %s' "$expected"
  fi
}

common=(--no-settings --builtin-tileset --size 256 -j 1 -q)
for map in "$work"/maps/*.pud; do
  name=$(basename "$map")
  expected=1
  [[ $name == limit_* ]] && expected=0
  rm -rf "$work/out" "$work/site" "$work/out.png"
  printf '%-32s %-12s %s\n' "$name" thumbnailer "$(measure $expected "$thumbnailer" -s 256 "$map" "$work/out.png")"
  printf '%-32s %-12s %s\n' "$name" render "$(measure $expected "$cli" render "${common[@]}" -o "$work/out" "$map")"
  printf '%-32s %-12s %s\n' "$name" info "$(measure $expected "$cli" info "$map")"
  printf '%-32s %-12s %s\n' "$name" gallery "$(measure $expected "$cli" gallery "${common[@]}" -o "$work/site" "$map")"
done >"$work/table.txt"
printf '%-32s %-12s %s\n' "scenario" "program" "CPU, peak memory, status"
cat "$work/table.txt"
if grep -q FAILED "$work/table.txt"; then
  exit 1
fi
