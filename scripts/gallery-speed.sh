#!/usr/bin/env bash
# Times "tessel-cli gallery" against "tessel-cli render -f png" over the same
# maps with the same options, interleaved in one session (render, gallery,
# render, ...), each run writing into a fresh folder. Prints every run, then
# the median and mean of each and the ratio of the medians.
#
#   scripts/gallery-speed.sh [RUNS] [MAPS...]   (default: 15 runs over ../shared/corpus)
#
#   BUILD_DIR  build folder with tessel-cli (default build)
#   OPTIONS    options given to both commands
#              (default: --no-settings --builtin-tileset --size 160 -q)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-15}
shift || true
maps=("$@")
[[ ${#maps[@]} -gt 0 ]] || maps=(../shared/corpus)
cli=${BUILD_DIR:-build}/cli/tessel-cli
read -r -a options <<<"${OPTIONS:---no-settings --builtin-tileset --size 160 -q}"

work=$(mktemp -d /tmp/tessel-speed.XXXX)
trap 'rm -rf "$work"' EXIT

# Seconds of one run of the command, its output folder removed first; the
# exit status is ignored, since broken maps fail both commands alike.
time_run() {
  local folder=$1
  shift
  rm -rf "$folder"
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

render=()
gallery=()
for ((k = 1; k <= runs; k++)); do
  r=$(time_run "$work/render" "$cli" render -f png "${options[@]}" -o "$work/render" "${maps[@]}")
  g=$(time_run "$work/gallery" "$cli" gallery "${options[@]}" -o "$work/gallery" "${maps[@]}")
  render+=("$r")
  gallery+=("$g")
  awk -v k="$k" -v r="$r" -v g="$g" 'BEGIN { printf "run %2d: render %8.1f ms   gallery %8.1f ms\n", k, r / 1000, g / 1000 }'
done

# median and mean of microsecond figures, in milliseconds
stats() {
  sort -n | awk '{ v[NR] = $1; sum += $1 } END {
    median = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.1f %.1f\n", median / 1000, sum / NR / 1000 }'
}
read -r render_median render_mean < <(printf '%s\n' "${render[@]}" | stats)
read -r gallery_median gallery_mean < <(printf '%s\n' "${gallery[@]}" | stats)
maps_count=$(find "$work/gallery/minimaps" -name '*.png' | wc -l)
echo "maps rendered: $maps_count; runs: $runs each, interleaved"
echo "render -f png: median $render_median ms, mean $render_mean ms"
echo "gallery:       median $gallery_median ms, mean $gallery_mean ms"
awk -v g="$gallery_median" -v r="$render_median" 'BEGIN { printf "gallery / render (medians): %.2f\n", g / r }'
