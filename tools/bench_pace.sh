#!/usr/bin/env bash
# Runs squish with --stats in a window on a virtual X display for a few seconds (at least 2),
# ends it with Ctrl+Q and prints what it achieved: steps/s against the pace, pictures/s and the
# CPU use of the whole process (every thread) as a share of one core. A release build unless a binary is
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
# The steady share leaves out start-up (window, renderer, scene): it is read from the
# process's CPU ticks between one second in and the end.
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
sleep 1
ticks_start=$(ticks)
time_start=$(date +%s.%N)
sleep "$((seconds - 1))"
ticks_end=$(ticks)
time_end=$(date +%s.%N)
# Ctrl+Q, held for a moment; asked again should the window not have had the keyboard yet.
for _ in 1 2 3 4 5; do
  xdotool windowfocus --sync "$window" keydown ctrl keydown q sleep 0.2 keyup q keyup ctrl
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
  kill -0 "$pid" 2>/dev/null || break
done
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { echo "squish exited with status $status"; cat "$work/stats"; exit 1; }
# squish: P passes, S steps, D pictures in T s: X steps/s, Y pictures/s, C CPU seconds
awk -v args="$*" -v ticks="$((ticks_end - ticks_start))" -v hz="$hz" \
  -v span="$(echo "$time_end - $time_start" | bc)" '/^squish: [0-9]+ passes/ {
    gsub(/,/, ""); t = $9; steps = $11; pictures = $13; cpu = $15
    printf "squish %s: %.2f s, %.1f steps/s, %.1f pictures/s, CPU %.1f %% of one core " \
      "after the first second (%.1f %% with start-up)\n", (args == "" ? "(default pace)" : args),
      t, steps, pictures, 100 * ticks / hz / span, 100 * cpu / t
    found = 1 }
  END { if (!found) exit 1 }' "$work/stats" || { cat "$work/stats"; exit 1; }
