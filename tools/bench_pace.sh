#!/usr/bin/env bash
# Runs squish with --stats in a window on a virtual X display for a few seconds, ends it with
# Ctrl+Q and prints what it achieved: steps/s against the pace, pictures/s and the CPU use of
# the whole process (both threads) as a share of one core. A release build unless a binary is
# given; extra arguments go to squish (e.g. --pace 0, or a scene file).
#   usage: tools/bench_pace.sh [-s SECONDS] [-b PATH/TO/squish] [SQUISH ARGUMENTS ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=5
exe=
while [ $# -ge 2 ] && { [ "$1" = -s ] || [ "$1" = -b ]; }; do
  if [ "$1" = -s ]; then seconds=$2; else exe=$2; fi
  shift 2
done

if [ -z "${SQUISH_BENCH_INSIDE_X:-}" ]; then
  if [ -z "$exe" ]; then
    build=$root/build/bench-pace
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSQUISH_TESTS=OFF >/dev/null
    cmake --build "$build" -j 2 --target squish >/dev/null
    exe=$build/app/squish
  fi
  export SQUISH_BENCH_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" -s "$seconds" -b "$(realpath "$exe")" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT
cd "$root"
"$exe" --stats "$@" 2>"$work/stats" &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^squish$' | head -n 1)
sleep "$seconds"
xdotool windowfocus --sync "$window"
xdotool key --window "$window" ctrl+q
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { echo "squish exited with status $status"; cat "$work/stats"; exit 1; }
# squish: P passes, S steps, D pictures in T s: X steps/s, Y pictures/s, C CPU seconds
awk -v args="$*" '/^squish: [0-9]+ passes/ {
    gsub(/,/, ""); t = $9; steps = $11; pictures = $13; cpu = $15
    printf "squish %s: %.2f s, %.1f steps/s, %.1f pictures/s, CPU %.1f %% of one core\n",
      (args == "" ? "(default pace)" : args), t, steps, pictures, 100 * cpu / t
    found = 1 }
  END { if (!found) exit 1 }' "$work/stats" || { cat "$work/stats"; exit 1; }
