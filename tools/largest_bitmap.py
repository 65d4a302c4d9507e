#!/usr/bin/env python3
"""Finds the largest BITMAP body squish plays in real time: at its default pace, with a picture
at every presentation. Each try draws a square 8-bit image of side S (every pixel an atom,
spaced 2 units, atoms of size 0.8, so a 316-pixel square spans the arena), runs squish on it
in a window on a virtual X display through tools/bench_pace.sh, and reads the steps/s and
pictures/s it achieved. Sides grow by a fifth until a try falls behind, then the step between
the last kept and the first lost side is halved down to a few pixels.

A try keeps the pace when it makes at least 98 % of the paced steps and 85 % of the pictures the
window presents (the presenter shows a page every 10 ms).

usage: tools/largest_bitmap.py [-s SECONDS] [-b PATH/TO/squish] [--start SIDE] [SQUISH ARGUMENTS]
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_creature import encode_bmp  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
PACE = 500.0
PRESENTATIONS = 100.0
KEPT_STEPS = 0.98
KEPT_PICTURES = 0.85
FINEST_STEP = 4


def square_image(side):
    """Every pixel coloured, in diagonal stripes of the default palette's colours 1 to 15."""
    return [[1 + (i + j) % 15 for i in range(side)] for j in range(side)]


def write_scene(folder, side):
    image = os.path.join(folder, f"square-{side}.bmp")
    with open(image, "wb") as f:
        f.write(encode_bmp(square_image(side)))
    scene = os.path.join(folder, f"square-{side}.txt")
    with open(scene, "w") as f:
        f.write(f"ATOMSPACE=2\nATOMSIZE=0.8\nBITMAP={image},{side},{side},{-side},{10 + 2 * side},0,0\n")
    return scene


def try_side(side, args, folder):
    """Runs squish on the square of this side; returns (steps/s, pictures/s)."""
    command = [os.path.join(ROOT, "tools", "bench_pace.sh"), "-s", str(args.seconds)]
    if args.binary:
        command += ["-b", args.binary]
    command += args.squish_arguments + [write_scene(folder, side)]
    output = subprocess.run(command, capture_output=True, text=True, check=False).stdout
    found = re.search(r"([0-9.]+) steps/s, ([0-9.]+) pictures/s", output)
    if not found:
        sys.exit(f"largest_bitmap: no figures from bench_pace.sh for side {side}:\n{output}")
    return float(found.group(1)), float(found.group(2))


def keeps_pace(steps, pictures):
    return steps >= KEPT_STEPS * PACE and pictures >= KEPT_PICTURES * PRESENTATIONS


def report(side, steps, pictures):
    kept = "keeps the pace" if keeps_pace(steps, pictures) else "falls behind"
    print(f"{side:5d} x {side:<5d} {side * side:8d} atoms {steps:8.1f} steps/s "
          f"{pictures:6.1f} pictures/s  {kept}", flush=True)
    return keeps_pace(steps, pictures)


def largest_kept_side(args, folder):
    kept, lost = 0, 0
    side = args.start
    while not lost:
        if report(side, *try_side(side, args, folder)):
            kept, side = side, side + max(FINEST_STEP, side // 5)
        else:
            lost = side
    while lost - kept > FINEST_STEP:
        side = (kept + lost) // 2
        if report(side, *try_side(side, args, folder)):
            kept = side
        else:
            lost = side
    return kept


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-s", dest="seconds", type=int, default=5, help="seconds a try runs")
    parser.add_argument("-b", dest="binary", help="the squish binary (default: a Release build)")
    parser.add_argument("--start", type=int, default=100, help="the first side tried")
    parser.add_argument("squish_arguments", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        side = largest_kept_side(args, folder)
    if side:
        print(f"largest BITMAP body that keeps the pace: {side} x {side} = {side * side} atoms")
    else:
        print(f"largest BITMAP body that keeps the pace: none from side {args.start} up")


if __name__ == "__main__":
    main()
