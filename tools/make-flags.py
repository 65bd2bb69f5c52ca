#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (c) 2026 The Plumo developers
"""Draws the 16 x 16 "Flag.ico" of every shipped language into data/Language/<name>/.

Standard library only. Each flag is described by a function from a point of the flag (x, y in
pixels from its top-left corner) to a colour; pixels are averaged over a 4 x 4 grid of such
points, so diagonals stay smooth at this size. The flag fills a 16 x 12 band in the middle of
the icon; the rows above and below are transparent.

Run from anywhere: python3 tools/make-flags.py
"""

import math
import pathlib
import struct

SIZE = 16
FLAG_WIDTH = 16
FLAG_TOP = 2
FLAG_ROWS = 12
SAMPLES = 4

WHITE = (255, 255, 255)


def union_flag(x, y):
    """The Union Flag for English. The cross is aligned to whole pixels (at this size a cross
    between pixels turns pink); the diagonals are smoothed."""
    blue, red = (1, 33, 105), (200, 16, 46)
    cx, cy = FLAG_WIDTH / 2, FLAG_ROWS / 2
    if abs(x - cx) < 1 or abs(y - cy) < 1:
        return red
    if abs(x - cx) < 2 or abs(y - cy) < 2:
        return WHITE
    norm = math.hypot(FLAG_WIDTH, FLAG_ROWS)
    d1 = abs(FLAG_ROWS * x - FLAG_WIDTH * y) / norm
    d2 = abs(FLAG_ROWS * x + FLAG_WIDTH * y - FLAG_WIDTH * FLAG_ROWS) / norm
    if min(d1, d2) < 0.5:
        return red
    if min(d1, d2) < 1.3:
        return WHITE
    return blue


def german_flag(x, y):
    """Black, red and gold in three equal bands."""
    if y < FLAG_ROWS / 3:
        return (0, 0, 0)
    if y < FLAG_ROWS * 2 / 3:
        return (221, 0, 0)
    return (255, 206, 0)


FLAGS = {"English": union_flag, "German": german_flag}


def pixel(flag, px, py):
    total = [0, 0, 0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py - FLAG_TOP + (sy + 0.5) / SAMPLES
            for i, c in enumerate(flag(x, y)):
                total[i] += c
    n = SAMPLES * SAMPLES
    return tuple(round(c / n) for c in total)


def inside(py):
    return FLAG_TOP <= py < FLAG_TOP + FLAG_ROWS


def ico_bytes(flag):
    """One 32-bit image with alpha and the 1-bit mask older readers use."""
    colour = bytearray()
    mask = bytearray()
    for py in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        mask_row = 0
        for px in range(SIZE):
            if inside(py):
                r, g, b = pixel(flag, px, py)
                colour += bytes((b, g, r, 255))
            else:
                colour += bytes((0, 0, 0, 0))
                mask_row |= 1 << (SIZE - 1 - px)
        mask += struct.pack(">H", mask_row) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    root = pathlib.Path(__file__).resolve().parent.parent / "data" / "Language"
    for name, flag in FLAGS.items():
        folder = root / name
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "Flag.ico").write_bytes(ico_bytes(flag))
        print(folder / "Flag.ico")


if __name__ == "__main__":
    main()
