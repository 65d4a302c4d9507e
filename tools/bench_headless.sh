#!/usr/bin/env bash
# Times squish-headless (a release build unless a binary is given): frames per second on the
# default scene (237 atoms) and on a scene of 10,000 atoms. The whole run is timed, start-up
# and scene building included, so use enough frames for them not to matter.
#   usage: tools/bench_headless.sh [PATH/TO/squish-headless]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-}
if [ -z "$exe" ]; then
  build=$root/build/bench-headless
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF >/dev/null
  cmake --build "$build" -j 2 --target squish-headless >/dev/null
  exe=$build/headless/squish-headless
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  echo "# 10,000 atoms in four 25 x 100 boxes, small and close so they fit the arena."
  echo "ATOMSIZE=2"
  echo "ATOMSPACE=6"
  for x in -300 -150 0 150; do echo "BOX=$x,0,25,100,9,0"; done
} >"$work/atoms10000.txt"

# time_frames LABEL FRAMES [SCENE]: runs squish-headless and prints frames per second.
time_frames() {
  local label=$1 frames=$2
  shift 2
  local start end
  start=$(date +%s.%N)
  "$exe" --frames "$frames" "$@"
  end=$(date +%s.%N)
  awk -v l="$label" -v f="$frames" -v s="$start" -v e="$end" \
    'BEGIN { t = e - s; printf "%-22s %7d frames in %7.2f s: %9.1f frames per second\n", l, f, t, f / t }'
}

time_frames "default scene" 5000
time_frames "10,000 atoms" 20 "$work/atoms10000.txt"
