#!/usr/bin/env bash
# The real squish window under a virtual X server: the window appears with the default scene
# drawn (the screen is not all black), F12 writes a PNG of the picture shown (paused, so it can
# be compared with the window), F9 records a GIF, Escape opens the settings panel, a click on its
# Quit button ends the program, and the exit status is 0.
#   usage: window_end_to_end.sh PATH/TO/squish [SCREENSHOT.png]
# (the screenshot, if asked for, shows the window with the panel open)
set -euo pipefail

if [ -z "${SQUISH_E2E_INSIDE_X:-}" ]; then
  export SQUISH_E2E_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi

squish=$(realpath "$1")
screenshot=${2:+$(realpath -m "$2")}
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true' EXIT
cd "$work"

"$squish" &
pid=$!

window=$(timeout 20 xdotool search --sync --name '^squish$' | head -n 1)
[ -n "$window" ] || { echo "FAIL: no squish window"; exit 1; }
xdotool windowfocus --sync "$window"
sleep 2  # let the bodies fall into view

import -window root "$work/screen.png"
brightest=$(convert "$work/screen.png" -format '%[fx:maxima.intensity]' info:)
if [ "$brightest" = "0" ]; then
  echo "FAIL: the screen is all black"
  exit 1
fi

# Paused, the window shows the PNG's picture with "PAUSED" over its top rows and the note
# naming the file along the bottom, which the PNG leaves out: between them the two must be the
# same pixels.
xdotool key --window "$window" p
sleep 0.3
xdotool key --window "$window" F12
sleep 0.5
import -window "$window" "$work/paused.png"
shot=$(ls "$work"/squish-*.png 2>/dev/null | head -n 1)
[ -n "$shot" ] || { echo "FAIL: F12 wrote no squish-*.png"; exit 1; }
convert "$shot" -crop 640x420+0+40 +repage "$work/shot-below.png"
convert "$work/paused.png" -crop 640x420+0+40 +repage "$work/window-below.png"
differing=$(compare -metric AE "$work/shot-below.png" "$work/window-below.png" null: 2>&1 || true)
[ "$differing" = "0" ] || { echo "FAIL: the PNG differs from the window in $differing pixels"; exit 1; }

xdotool key --window "$window" p
xdotool key --window "$window" F9
sleep 1
xdotool key --window "$window" F9
sleep 0.5
recording=$(ls "$work"/squish-*.gif 2>/dev/null | head -n 1)
[ -n "$recording" ] || { echo "FAIL: F9 wrote no squish-*.gif"; exit 1; }
frames=$(identify "$recording" | wc -l)
[ "$frames" -ge 10 ] || { echo "FAIL: a second's recording holds $frames frames"; exit 1; }

# Escape is tested as a held key once per frame: hold it for a few frames.
xdotool keydown --window "$window" Escape
sleep 0.3
xdotool keyup --window "$window" Escape
sleep 0.3
if [ -n "$screenshot" ]; then
  import -window "$window" "$screenshot"
fi

# The Quit button: panel window at (4, 4), button at (68, 264) inside it, 60 x 16.
xdotool mousemove --window "$window" 106 276
sleep 0.3
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1

for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    pid=
    if [ "$status" -ne 0 ]; then
      echo "FAIL: squish exited with status $status"
      exit 1
    fi
    echo "ok: window shown, F12 and F9 wrote their files, panel opened, Quit ended squish with status 0"
    exit 0
  fi
  sleep 0.1
done
echo "FAIL: squish still running 10 s after Quit was clicked"
exit 1
