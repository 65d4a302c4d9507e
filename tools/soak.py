#!/usr/bin/env python3
"""Soak run of squish-headless: FRAMES frames of random input (pointer moves, presses, keys,
characters, focus changes) with random settings typed into the settings panel and applied now
and then, on the BITMAP scene. Runs a short stretch first and then the whole run with the same
input, and prints the peak resident set of each: memory must stay flat, and any sanitizer
finding fails the run.   usage: soak.py SQUISH_HEADLESS FRAMES [SEED]"""
import os
import random
import resource
import subprocess
import sys
import tempfile

ABSURD = ("0", "-1", "1e30", "-1e30", "1e999", "-1e999", "nan", "0.5", "4", "10", "&HFF", "1e-45")
SHORT_FRAMES = 2000


def panel_edit(rng, frame):
    """Escape, a click on a field, Backspaces and a typed value, then Apply: one message a frame.
    Fields sit at x 142, y 30 + 20 (row - 1); Apply at (38, 16), with the panel at (4, 4)."""
    row = rng.randrange(1, 12)
    lines = [f"{frame} keydown 1", f"{frame + 1} keyup 1", f"{frame + 2} mouse 142 {30 + 20 * (row - 1)}",
             f"{frame + 3} down left", f"{frame + 4} up left"]
    frame += 5
    for _ in range(12):
        lines += [f"{frame} keydown 14", f"{frame} char 8", f"{frame} keyup 14"]
        frame += 1
    for c in rng.choice(ABSURD):
        lines.append(f"{frame} char {ord(c)}")
        frame += 1
    lines += [f"{frame} mouse 38 16", f"{frame + 1} down left", f"{frame + 2} up left",
              f"{frame + 3} mouse 400 300"]
    return lines, frame + 4


def random_input(frames, seed):
    rng = random.Random(seed)
    lines = []
    frame = 1
    while frame < frames:
        frame += rng.randrange(1, 6)
        kind = rng.randrange(10)
        if kind == 0 and frame + 60 < frames:
            edit, frame = panel_edit(rng, frame)
            lines += edit
        elif kind < 4:
            # Away from the panel, so the Quit button is never clicked.
            lines.append(f"{frame} mouse {rng.randrange(260, 900)} {rng.randrange(-50, 600)}")
        elif kind < 6:
            lines.append(f"{frame} {rng.choice(('down', 'up'))} {rng.choice(('left', 'right', 'middle'))}")
        elif kind == 6:
            lines.append(f"{frame} char {rng.choice((32, 32, 65, 8, 13, 27))}")
        elif kind == 7:
            code = rng.randrange(2, 128)
            lines.append(f"{frame} keydown {code}")
            lines.append(f"{frame + 1} keyup {code}")
        elif kind == 8:
            lines.append(f"{frame} focus {rng.choice(('in', 'out'))}")
        else:
            lines.append(f"{frame} wheel {rng.choice((-120, 120))}")
    return "\n".join(lines) + "\n"


def run(program, frames, input_file):
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    result = subprocess.run([program, "--frames", str(frames), "--input", input_file,
                             "scenes/creature.txt"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            text=True)
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    if result.returncode != 0:
        sys.exit(f"squish-headless failed ({result.returncode}) after {frames} frames:\n{result.stderr}")
    return max(peak, before)


def main():
    program, frames = sys.argv[1], int(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    os.environ.setdefault("ASAN_OPTIONS", "quarantine_size_mb=16")
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as script:
        script.write(random_input(frames, seed))
    try:
        short = run(program, min(SHORT_FRAMES, frames), script.name)
        print(f"peak resident set after {min(SHORT_FRAMES, frames)} frames: {short // 1024} MiB")
        whole = run(program, frames, script.name)
        print(f"peak resident set after {frames} frames: {whole // 1024} MiB")
    finally:
        os.unlink(script.name)
    if whole > short * 1.25 + 8 * 1024:
        sys.exit("memory grew during the run")


if __name__ == "__main__":
    main()
