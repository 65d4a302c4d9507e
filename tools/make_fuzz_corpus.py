#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora into tests/corpus/<target>/: BMPs of 1, 4 and 8 bits per
pixel in many widths (every row padding), bottom-up and top-down, with colour tables of 0 to 256
entries, plus raw dumps and the formats the loader refuses; scene files using every keyword and
number form; input files with every message kind; structured byte strings for the frame loop
and the drawing primitives; and worlds for the step fuzzer, near, far out, of tiny and huge
atoms and exploding. The output is the same on every run.
usage: make_fuzz_corpus.py [CORPUS_DIR]   (default tests/corpus)"""
import os
import random
import shutil
import struct
import sys

TARGETS = ("bmp", "scene", "input_script", "frame", "draw", "step")
IMAGE_SEPARATOR = b"\n--image--\n"


def bmp(width, height, bits, colours, pixels=None, compression=0, header_size=40, masks=b""):
    """A BMP whose rows are stored bottom-up unless height is negative; pixels[r][c] counts
    rows from the top. The pixel-data offset follows the colour table (and masks)."""
    rows = abs(height)
    if pixels is None:
        pixels = [[(r * 7 + c * 3) % (1 << min(bits, 8)) for c in range(width)] for r in range(rows)]
    table = b"".join(bytes((i % 256, (2 * i) % 256, (3 * i) % 256, 0)) for i in range(colours))
    row_bytes = (width * bits + 7) // 8
    stride = (row_bytes + 3) // 4 * 4
    data = bytearray()
    order = range(rows - 1, -1, -1) if height > 0 else range(rows)
    for r in order:
        packed = bytearray(stride)
        for c in range(width):
            value = pixels[r][c]
            if bits == 8:
                packed[c] = value
            elif bits == 4:
                packed[c // 2] |= value << (4 if c % 2 == 0 else 0)
            elif bits == 1:
                packed[c // 8] |= value << (7 - c % 8)
        data += packed
    offset = 54 + len(masks) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                       len(data), 2835, 2835, colours, 0)
    return header + info + masks + table + bytes(data)


def bmp_seeds():
    seeds = {}
    for bits, colours in ((1, 2), (4, 16), (8, 256)):
        for width in (1, 2, 3, 4, 5, 7, 8, 9, 15, 17, 31, 33):
            seeds[f"{bits}bit_w{width}.bmp"] = bmp(width, 3, bits, colours)
        seeds[f"{bits}bit_top_down.bmp"] = bmp(5, -3, bits, colours)
    for colours in (0, 1, 2, 3, 16, 100, 255, 256):
        seeds[f"8bit_table{colours}.bmp"] = bmp(4, 2, 8, colours)
    seeds["8bit_table300.bmp"] = bmp(4, 2, 8, 300)
    seeds["4bit_indices_past_table.bmp"] = bmp(4, 2, 4, 3, [[15, 14, 2, 0], [9, 8, 7, 1]])
    seeds["8bit_rle8.bmp"] = bmp(4, 2, 8, 4, compression=1)
    seeds["4bit_rle4.bmp"] = bmp(4, 2, 4, 4, compression=2)
    seeds["32bit_masked.bmp"] = bmp(2, 2, 32, 0, compression=3,
                                    masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF))
    seeds["32bit_bad_masks.bmp"] = bmp(2, 2, 32, 0, compression=3, masks=struct.pack("<III", 1, 2, 3))
    seeds["24bit.bmp"] = bmp(3, 2, 24, 0, [[0] * 3] * 2)
    for size in (12, 52, 56, 108, 124):
        seeds[f"header{size}.bmp"] = bmp(4, 2, 8, 4, header_size=size)
    for bits in (0, 2, 3, 5, 15, 16):
        seeds[f"bits{bits}.bmp"] = bmp(4, 2, 8, 4)[:28] + struct.pack("<H", bits) + bmp(4, 2, 8, 4)[30:]
    seeds["font_like_96x16.bmp"] = bmp(96, 16, 8, 2)
    body = bytes(range(64))
    seeds["raw_fd.bin"] = b"\xfd" + b"\0\0\0\0" + struct.pack("<H", len(body)) + body
    seeds["raw_fe_with_palette.bin"] = (b"\xfe" + struct.pack("<I", len(body)) + body +
                                        bytes(i % 256 for i in range(1024)))
    seeds["raw_fe_long_length.bin"] = b"\xfe" + struct.pack("<I", 0xFFFFFFFF) + body
    return seeds


SETTINGS = ("ATOMSIZE", "ATOMSPACE", "MAXSPEED", "YGRAVITY", "XGRAVITY", "BOUNDDECAY",
            "DEFORMFACTOR", "DEFORMTHRESHOLD", "BREAKTHRESHOLD", "STIFFNESS", "BONDTHRESHOLD",
            "SHOWATOMS")
NUMBERS = ("0", "4", "-3", "+2.5", ".5", "5.", "1e3", "1E-2", "-1e+2", "  7", "&H1F", "&hff",
           "&O17", "&o7", "&B101", "&b1", "&H", "&HFFFFFFFFFFFFFFFF", "&O9", "&B2", "1e999",
           "-1e999", "1e-400", "nan", "inf", "--1", "1.2.3", "big", "", "\t3", "3 4")


def scene_seeds():
    seeds = {}
    lines = ["# every setting keyword with a plain value", "; a comment", "' a comment"]
    lines += [f"{key} = {value}" for key, value in zip(SETTINGS, (4, 10, 5, -0.004, 0, 0.99, 0.4,
                                                                  1, 2, 0.5, 0.5, 1))]
    lines += ["BOX = -50, 300, 4, 4, 12, 0.3", "TRIANGLE = 0, 100, 7, 15, 0.1",
              "bitmap = shape.bmp, 6, 4, -100, 400, 0, 0"]
    image = bmp(6, 4, 8, 16, [[0, 0, 0, 0, 0, 0], [0, 9, 10, 11, 0, 0], [0, 12, 13, 14, 0, 0],
                              [0, 0, 0, 0, 0, 0]])
    seeds["every_keyword.txt"] = "\n".join(lines).encode() + b"\n" + IMAGE_SEPARATOR + image
    for i, key in enumerate(SETTINGS):
        text = "".join(f"{key}={number}\nBOX=0,{100 + 20 * n},2,2,9,0\n"
                       for n, number in enumerate(NUMBERS[i::4]))
        seeds[f"numbers_{key.lower()}.txt"] = text.encode()
    seeds["number_forms_in_fields.txt"] = "".join(
        f"BOX={n},{n},3,2,{n},{n}\nTRIANGLE={n},200,{n},10,0\n" for n in NUMBERS).encode()
    seeds["absurd_bodies.txt"] = (b"BOX=0,0,-5,3,9,0\nBOX=0,0,3,0,9,0\nTRIANGLE=0,0,0,9,0\n"
                                  b"BOX=0,0,2147483647,2147483647,9,0\nTRIANGLE=0,0,&HFFFFFFFF,9,0\n"
                                  b"ATOMSPACE=0\nBOX=0,50,3,3,9,0\nATOMSPACE=-10\nTRIANGLE=0,80,4,9,0\n"
                                  b"ATOMSPACE=nan\nBOX=0,20,2,2,9,nan\nATOMSPACE=1e30\nBOX=1e30,-1e30,2,2,9,1e30\n"
                                  b"BITMAP=x.bmp,-1,5,0,0,0,0\nBITMAP=x.bmp,100000,100000,0,0,0,0\n")
    seeds["line_ends.txt"] = b"ATOMSIZE=6\r\nBOX=0,0,2,2,9,0\rTRIANGLE=0,0,3,9,0\n\r\nSHOWATOMS=0"
    seeds["bom_nul_tabs.txt"] = (b"\xef\xbb\xbfATOMSIZE=5\nATOM\0SIZE=3\nBOX=0,0,2\x002,2,9,0\n"
                                 b"  #ATOMSIZE=6\nATOMSIZE\t=6\n==\n=5\nBOX=1,,3,4,5,6\nBOX=1,2,3,4,5,6,7,8\n")
    seeds["many_commas.txt"] = b"BOX=" + b"," * 2000 + b"\nTRIANGLE=1" + b",2" * 500 + b"\n"
    return seeds


def input_script_seeds():
    return {
        "drag.txt": b"# drag\n1 mouse 416 317\n2 down left\n3 mouse 300 150\n60 up left\n",
        "panel_quit.txt": b"1 keydown 1\n2 keyup 1\n3 mouse 106 276\n4 down left\n5 up left\n",
        "every_kind.txt": (b"1 mouse 0 0\n1 mouse -5 9999\n2 down right\n2 up middle\n3 wheel -120\n"
                           b"3 wheel 1\n4 keydown 42\n4 keydown 75 extended\n4 keyup 75 extended\n"
                           b"5 char 8\n5 char 255\n6 focus out\n6 focus in\n7 close\n"
                           b"9223372036854775807 char 1\n\r\n   # indented comment\n\t2\tmouse\t1\t2\r\n"),
        "unsorted.txt": b"5 char 65\n2 char 66\n5 char 67\n1 keydown 127\n1 keyup 0\n",
        "malformed.txt": b"1 mouse 1\n",
        "bad_kind.txt": b"0 char 1\n1 explode\n",
    }


def frame_seeds():
    """Byte strings for the frame entry: the first byte of each action picks it (action % 20)."""
    rng = random.Random(7)
    seeds = {
        # Open the panel, set every row to something absurd with Apply, then restart.
        "apply_every_row.bin": bytes([12] + sum(([13, row, pick] for row, pick in
                                                 zip(range(11), (0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12))), [])
                                     + [16, 2] + [19] * 4),
        "drag_window.bin": bytes([12, 15, 3, 10, 250, 200, 5, 128, 128, 10, 19, 19]),
        "grab_atom.bin": bytes([0, 160, 90, 19, 3, 0, 19, 0, 100, 60, 19, 19, 4, 0, 19]),
        "keys_flood.bin": bytes([11] + [32] * 40 + [19, 6, 250, 0, 0, 0, 200, 1, 19, 7, 255, 255, 255, 255, 255, 0, 19]),
        "focus_while_dragging.bin": bytes([0, 100, 100, 3, 0, 19, 9, 1, 19, 2, 127, 255, 255, 255, 128, 0, 0, 0, 19]),
    }
    for n in range(6):
        seeds[f"random{n}.bin"] = bytes(rng.randrange(256) for _ in range(200))
    return seeds


def draw_seeds():
    rng = random.Random(11)
    seeds = {}
    for n in range(8):
        seeds[f"random{n}.bin"] = bytes(rng.randrange(256) for _ in range(300))
    # Specials: a huge filled circle, a NaN line, a line across everything.
    seeds["huge_circle.bin"] = bytes([10, 10, 0, 0, 0, 0, 5, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 163, 200, 1, 1])
    seeds["nan_line.bin"] = bytes([10, 10, 0, 0, 0, 0, 5, 0, 2, 160, 161, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 40, 40, 1, 255, 255])
    return seeds


def step_seeds():
    """Inputs of step_fuzz.cpp: settings, the number of steps, atoms, bonds, then where the world
    stands (bit 0 scales it to the atom size, bits 1-3 and 4-6 pick far offsets along x and y)."""
    def raw(value):  # a number given bit for bit
        return bytes([200]) + struct.pack(">f", value)

    def small(byte):  # (byte - 128) x the field's scale / 16
        return bytes([0, byte])

    def world(steps, atoms, place, settings=b"\x00", bonds=()):
        out = bytearray(settings) + bytes([steps - 1, len(atoms)])
        for x, y, vx, vy in atoms:
            out += x + y + vx + vy + b"\x00"
        out += bytes([len(bonds)])
        for a, b in bonds:
            out += bytes([a, b]) + small(128 + 40) + b"\x00"
        return bytes(out + bytes([place]))

    rng = random.Random(5)
    # Rows of atoms 5 units apart (some at one point), kicked along x into each other.
    rows = [(small(128 + 2 * (k % 10)), small(128 + 8 * (k // 10)), small(128 + rng.randrange(-48, 49)),
             small(128)) for k in range(40)]
    chain = [(k, k + 1) for k in range(1, 12)]
    tiny = b"\x01" + raw(1e-12)
    seeds = {
        "nan-atom-bonded-to-itself": bytes.fromhex("001a01ffffffffffffffffffffffffffffffffffff4427a701442701"),
        "rows.bin": world(10, rows, 0, bonds=chain),
        "rows_1e15_up.bin": world(10, rows, 1 << 4, bonds=chain),
        "rows_at_x_minus_3e38.bin": world(10, rows, 4 << 1),
        "rows_far_on_both_axes.bin": world(10, rows, (1 << 1) | (5 << 4)),
        "rows_at_the_edge_of_the_cells.bin": world(10, rows, (6 << 1) | (6 << 4)),
        "tiny_atoms_scaled.bin": world(10, rows, 1, settings=tiny, bonds=chain),
        "tiny_atoms_far_up.bin": world(10, rows, 1 | (1 << 4), settings=tiny),
        "tiny_atoms_unscaled.bin": world(10, rows, 0, settings=tiny),
        "huge_atoms_scaled.bin": world(10, rows, 1, settings=b"\x01" + raw(5000.0)),
        "huge_atoms_far_out.bin": world(10, rows, 1 | (7 << 1), settings=b"\x01" + raw(1e30)),
        # boundDecay -2 and maxSpeed 1e38: atoms below the floor and fast ones fly apart.
        "exploding.bin": world(10, [(small(128 + 2 * k), small(128 - 40 - k), raw(rng.choice((1e30, -1e30, 3.0))),
                                     small(128 - 20)) for k in range(30)], 0,
                               settings=bytes([4 | 32]) + raw(1e38) + raw(-2.0)),
    }
    return seeds


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join("tests", "corpus")
    makers = {"bmp": bmp_seeds, "scene": scene_seeds, "input_script": input_script_seeds,
              "frame": frame_seeds, "draw": draw_seeds, "step": step_seeds}
    for target in TARGETS:
        folder = os.path.join(root, target)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for name, content in makers[target]().items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(content)


if __name__ == "__main__":
    main()
