#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, writes their seeds and runs each
# for FUZZ_SECONDS. Fails on the first finding (crash, leak, timeout,
# oversized allocation), leaving the input as build-fuzz/findings/<target>-*.
#
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_TARGETS  targets to run (default: scenario catalogue archive expand
#                 minimap thumbnailer update_state)
#   BUILD_DIR     build folder (default build-fuzz)
#   JOBS          build jobs (default 2)
#   CORPUS_DIR    real scenarios used as extra seeds when present (default:
#                 the CMake cache variable TESSEL_CORPUS_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-"scenario catalogue archive expand minimap thumbnailer update_state"}
build=${BUILD_DIR:-build-fuzz}
jobs=${JOBS:-2}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSEL_BUILD_FUZZ=ON -DTESSEL_BUILD_GUI=OFF -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF \
  ${CORPUS_DIR:+-DTESSEL_CORPUS_DIR="$CORPUS_DIR"} >/dev/null
corpus=$(sed -n 's/^TESSEL_CORPUS_DIR:PATH=//p' "$build/CMakeCache.txt")
cmake --build "$build" --target tessel_fuzz -j "$jobs"
"$build/fuzz/tessel_fuzz_seeds" "$build/seeds"
mkdir -p "$build/findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16

for target in $targets; do
  binary="$build/fuzz/tessel_fuzz_$target"
  [[ -x "$binary" ]] || { echo "no fuzz target $target" >&2; exit 2; }
  work="$build/corpus/$target"
  mkdir -p "$work"
  dirs=("$work" "$build/seeds/$target")
  # Real scenarios feed the targets that read scenarios; only read, never copied.
  if [[ ( "$target" == scenario || "$target" == catalogue || "$target" == minimap ) && -d "$corpus" ]]; then
    dirs+=("$corpus")
  fi
  echo "== fuzzing $target for $seconds s"
  log="$build/findings/$target.log"
  rm -f "$build/findings/$target-"*  # reported by the run that made them
  # The readers' bounds make any greed or slowness a finding: no block above
  # 16 MB (the largest archive entry holds 16 MB - 1; a scenario buffer at
  # most 4 MiB), no more than 256 MB in all (an era of four 16 MB entries
  # under AddressSanitizer, whose quarantine is cut to 16 MB so that it
  # does not count), and 5 s per input (1 s of CPU at the size limit in a
  # release build; the sanitizers make it several times slower).
  if ! "$binary" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=256 -malloc_limit_mb=16 \
      -entropic_scale_per_exec_time=1 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" "${dirs[@]}" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz target $target found a problem; see $log and $build/findings/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  if compgen -G "$build/findings/$target-*" >/dev/null; then
    echo "fuzz target $target left findings in $build/findings/" >&2
    exit 1
  fi
done
