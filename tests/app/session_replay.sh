#!/usr/bin/env bash
# A session played in the real squish window under a virtual X server (a drag, a kick, the
# panel's Show Bonds and Apply, pause and resume, a restart, a world saved with F5, then Ctrl+Q)
# and recorded with --record-session; squish-headless replays it from the recording and must end
# with the very same dump as squish wrote at exit.
#   usage: session_replay.sh PATH/TO/squish PATH/TO/squish-headless
set -euo pipefail

if [ -z "${SQUISH_E2E_INSIDE_X:-}" ]; then
  export SQUISH_E2E_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi

squish=$(realpath "$1")
headless=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT
cd "$work"

"$squish" --record-session session.txt --dump window.json &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^squish$' | head -n 1)
[ -n "$window" ] || { echo "FAIL: no squish window"; exit 1; }
xdotool windowfocus --sync "$window"
sleep 1

# Drag whatever lies under the pointer near the floor, then kick everything.
xdotool mousemove --window "$window" 320 440 mousedown 1
sleep 0.2
xdotool mousemove --window "$window" 300 300
sleep 0.2
xdotool mouseup 1
xdotool key --window "$window" space
sleep 0.3

# The panel: hold Escape, untick Show Bonds, Apply, Close.
xdotool keydown --window "$window" Escape
sleep 0.2
xdotool keyup --window "$window" Escape
for point in "112 256" "38 16" "102 16"; do
  xdotool mousemove --window "$window" $point click 1
  sleep 0.2
done

xdotool key --window "$window" p
sleep 0.3
xdotool key --window "$window" p
xdotool key --window "$window" F5
sleep 0.3
xdotool key --window "$window" r
sleep 0.5
# Ctrl+Q is read as a chord of held keys: hold both for a few passes.
xdotool keydown --window "$window" ctrl keydown --window "$window" q
sleep 0.2
xdotool keyup --window "$window" q keyup --window "$window" ctrl 2>/dev/null || true  # gone by now

for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: squish still running 10 s after Ctrl+Q"
  exit 1
fi
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { echo "FAIL: squish exited with status $status"; exit 1; }
ls squish-*.world.json > /dev/null 2>&1 || { echo "FAIL: F5 saved no world file"; exit 1; }

passes=$(sed -n 's/^# ended after \([0-9]*\) passes.*/\1/p' session.txt)
[ -n "$passes" ] || { echo "FAIL: the session has no end line"; exit 1; }
grep -q ' seed ' session.txt || { echo "FAIL: the session holds no seed"; exit 1; }
"$headless" --input session.txt --frames "$passes" --dump replay.json
if ! cmp -s window.json replay.json; then
  echo "FAIL: the replay's dump differs from the window's"
  diff window.json replay.json | head -n 20
  exit 1
fi
# The world file of the session loads, and the panel's untick survived in it.
world=$(ls squish-*.world.json | head -n 1)
"$headless" --load "$world" --frames 1 --dump loaded.json
grep -q '"showBonds": 0' loaded.json || { echo "FAIL: the saved world lost the panel's setting"; exit 1; }

# The window starts from it paused, F5 saves it again and F6 loads that back.
mv "$world" session.world.json
"$squish" --load session.world.json --paused --dump again.json &
pid=$!
window=$(timeout 20 xdotool search --sync --name '^squish$' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --window "$window" F5
sleep 0.5
xdotool key --window "$window" F6
sleep 0.5
xdotool keydown --window "$window" ctrl keydown --window "$window" q
sleep 0.2
xdotool keyup --window "$window" q keyup --window "$window" ctrl 2>/dev/null || true
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
wait "$pid" || { echo "FAIL: squish --load ended badly"; exit 1; }
pid=
ls squish-*.world.json > /dev/null 2>&1 || { echo "FAIL: F5 saved no world file"; exit 1; }
grep -q '"showBonds": 0' again.json || { echo "FAIL: squish --load did not start from the world"; exit 1; }
grep -q '"steps": 0,' again.json || { echo "FAIL: the loaded world did not stay paused"; exit 1; }
echo "ok: a session of $passes passes replayed to the same dump; its world file loads, also in the window"
