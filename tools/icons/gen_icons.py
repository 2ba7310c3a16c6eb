#!/usr/bin/env python3
"""Builds the three button icons SYS/back.f5i, SYS/home.f5i, SYS/nhome.f5i
from the drawings back.txt, home.txt and nhome.txt beside this script.

A drawing is 32 lines of 32 characters, one character per pixel, top line
first. Legend:

    0-9, A-F   opaque pixel in colour 0..15 (hexadecimal digit; a-f too)
               0 black      4 red        8 dark grey   C light red
               1 blue       5 magenta    9 light blue  D light magenta
               2 green      6 brown      A light green E yellow
               3 cyan       7 light grey B light cyan  F white
    .          transparent (byte 16): the grey strip behind shows through

An .f5i file is 1024 bytes, one per pixel, column by column: byte n is
column n / 32, row n mod 32.

The outermost ring of each drawing is the button's frame. The browser draws
its click highlight over exactly that ring and leaves it black afterwards,
so the frame is drawn black to begin with.

Usage: gen_icons.py [OUTPUT_DIR]   (default: SYS/ of the repository)
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
ICONS = ("back", "home", "nhome")
SIZE = 32
TRANSPARENT = 16


def read_drawing(path):
    with open(path, encoding="ascii") as f:
        rows = f.read().splitlines()
    if len(rows) != SIZE or any(len(r) != SIZE for r in rows):
        sys.exit("gen_icons: %s must be %d lines of %d characters"
                 % (path, SIZE, SIZE))
    pixels = []
    for y, row in enumerate(rows):
        line = []
        for x, ch in enumerate(row):
            if ch == ".":
                line.append(TRANSPARENT)
            elif ch in "0123456789ABCDEFabcdef":
                line.append(int(ch, 16))
            else:
                sys.exit("gen_icons: %s line %d column %d: %r is not in the legend"
                         % (path, y + 1, x + 1, ch))
        pixels.append(line)
    return pixels


def to_f5i(pixels):
    return bytes(pixels[row][col] for col in range(SIZE) for row in range(SIZE))


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "SYS")
    os.makedirs(out_dir, exist_ok=True)
    for name in ICONS:
        data = to_f5i(read_drawing(os.path.join(HERE, name + ".txt")))
        with open(os.path.join(out_dir, name + ".f5i"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
