#!/usr/bin/env bash
# Times a second run of "tessel-cli render" and "tessel-cli gallery" over a
# made-up collection, with --update (every image up to date, so all are
# skipped) and without it (every image made again), interleaved in one
# session. Each kind of run has an output folder of its own, filled once
# before the timed runs, so that a run without --update never spoils the
# state that the runs with it read. Prints every run, then the medians.
#
#   bench/update-speed.sh [MAPS] [RUNS]   (default: 3000 maps, 5 runs)
#
#   BUILD_DIR  build folder with tessel-cli and the fixtures (default build)
#   OPTIONS    options of every run (default: --no-settings --builtin-tileset -q)
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-3000}
runs=${2:-5}
build=${BUILD_DIR:-build}
cli=$build/cli/tessel-cli
read -r -a options <<<"${OPTIONS:---no-settings --builtin-tileset -q}"

work=$(mktemp -d /tmp/tessel-update-speed.XXXX)
trap 'rm -rf "$work"' EXIT
"$build/tests/fixtures/tessel_scenario_collection" "$work/maps" "$count" >/dev/null

# Milliseconds of one run; broken maps fail every run alike, so the exit
# status is ignored.
time_run() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for command in render gallery; do
  "$cli" "$command" "${options[@]}" --update -o "$work/$command-update" "$work/maps" >/dev/null 2>&1 || true
  "$cli" "$command" "${options[@]}" -o "$work/$command-plain" "$work/maps" >/dev/null 2>&1 || true
  with=()
  without=()
  for ((k = 1; k <= runs; k++)); do
    with+=("$(time_run "$cli" "$command" "${options[@]}" --update -o "$work/$command-update" "$work/maps")")
    without+=("$(time_run "$cli" "$command" "${options[@]}" -o "$work/$command-plain" "$work/maps")")
    echo "$command run $k: with --update ${with[-1]} ms, without ${without[-1]} ms"
  done
  echo "$command, second run over $count maps: with --update $(printf '%s\n' "${with[@]}" | median) ms," \
    "without $(printf '%s\n' "${without[@]}" | median) ms (medians of $runs)"
done
