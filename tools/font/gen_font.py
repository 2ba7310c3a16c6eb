#!/usr/bin/env python3
"""Builds SYS/FONT.DAT, NUVA's 6x8 bitmap font, and gfx/cp437_table.cpp.

The glyphs come from the public-domain X11 misc-fixed 5x8 font (Debian
package xfonts-base), looked up by the Unicode code point of each code
page 437 byte. Its 5-wide glyphs sit in the 6-wide cell with column 6
blank, which is the space between letters; ascent 7 and descent 1 fill the
8 rows. The font's shades, box drawing and blocks (176..223) stop short of
the cell edge, so those 48 glyphs are drawn here instead and join up across
neighbouring cells.

FONT.DAT holds 12240 integer fields: glyph 1..255, row 1..8, column 1..6,
one line per glyph row, a lit cell as -1 and an unlit one as 0. A line must
not end in a comma: that would add an empty field and shift every later
cell.

Usage: gen_font.py [FONT.pcf.gz | FONT.pcf | FONT.bdf] [--font-out PATH]
                   [--table-out PATH]
PCF files are converted with pcf2bdf (Debian package pcf2bdf).
"""

import argparse
import os
import subprocess
import sys

from cp437 import UNICODE

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEFAULT_FONT = "/usr/share/fonts/X11/misc/5x8.pcf.gz"
ROWS, COLS = 8, 6
ASCENT = 7

# Arms of each box-drawing glyph: up, down, left, right; 0 none, 1 single,
# 2 double.
BOX_ARMS = {
    179: "1100", 180: "1110", 181: "1120", 182: "2210", 183: "0210",
    184: "0120", 185: "2220", 186: "2200", 187: "0220", 188: "2020",
    189: "2010", 190: "1020", 191: "0110", 192: "1001", 193: "1011",
    194: "0111", 195: "1101", 196: "0011", 197: "1111", 198: "1102",
    199: "2201", 200: "2002", 201: "0202", 202: "2022", 203: "0222",
    204: "2202", 205: "0022", 206: "2222", 207: "1022", 208: "2011",
    209: "0122", 210: "0211", 211: "2001", 212: "1002", 213: "0102",
    214: "0201", 215: "2211", 216: "1122", 217: "1010", 218: "0101",
}

# Where the strokes run, 1-based: a single stroke on the centre column and
# row, a double stroke as the two walls on either side of it.
MID_COL, MID_ROW = 3, 4


def read_bdf_text(path):
    if path.endswith(".bdf"):
        with open(path, encoding="latin-1") as f:
            return f.read()
    try:
        result = subprocess.run(["pcf2bdf", path], check=True,
                                stdout=subprocess.PIPE)
    except FileNotFoundError:
        sys.exit("gen_font: pcf2bdf not found (apt-get install pcf2bdf)")
    return result.stdout.decode("latin-1")


def parse_bdf(text):
    """Returns {code point: 8x6 grid of 0/1} for every glyph in the font."""
    glyphs = {}
    lines = iter(text.splitlines())
    for line in lines:
        if not line.startswith("STARTCHAR"):
            continue
        encoding, bbx, bitmap = None, None, []
        for line in lines:
            words = line.split()
            if words[0] == "ENCODING":
                encoding = int(words[1])
            elif words[0] == "BBX":
                bbx = [int(w) for w in words[1:5]]
            elif words[0] == "BITMAP":
                for line in lines:
                    if line.startswith("ENDCHAR"):
                        break
                    bitmap.append(int(line, 16))
                break
        if encoding is not None and encoding >= 0:
            glyphs[encoding] = place_in_cell(encoding, bbx, bitmap)
    return glyphs


def place_in_cell(code_point, bbx, bitmap):
    width, height, x_off, y_off = bbx
    grid = [[0] * COLS for _ in range(ROWS)]
    row_bytes = (width + 7) // 8
    for i, bits in enumerate(bitmap):
        y = y_off + height - 1 - i  # height above the baseline
        row = ASCENT - 1 - y
        for b in range(width):
            if not bits >> (row_bytes * 8 - 1 - b) & 1:
                continue
            col = x_off + b
            if not (0 <= row < ROWS and 0 <= col < COLS - 1):
                sys.exit("gen_font: U+%04X does not fit the 5x8 box" % code_point)
            grid[row][col] = 1
    return grid


def box_glyph(arms):
    """Draws a box-drawing glyph from its four arms.

    A single arm is a stroke from the cell edge to the centre. Double arms
    are drawn as the walls of a corridor: the corridor runs along the
    centre line and its walls are the cells around it, which makes corners,
    tees and crossings of double lines close up by themselves.
    """
    up, down, left, right = (int(a) for a in arms)
    v_double = up == 2 or down == 2
    h_double = left == 2 or right == 2
    v_through = up == 2 and down == 2
    h_through = left == 2 and right == 2
    # Where a single stroke ends a one-sided double corridor, the corridor
    # stops short of the centre and its end wall meets the stroke.
    centre_open = (v_double and h_double) or v_through or h_through

    corridor = set()
    r0, c0 = MID_ROW - 1, MID_COL - 1  # 0-based centre
    if centre_open and (v_double or h_double):
        corridor.add((r0, c0))
    if up == 2:
        corridor.update((r, c0) for r in range(0, r0))
    if down == 2:
        corridor.update((r, c0) for r in range(r0 + 1, ROWS))
    if left == 2:
        corridor.update((r0, c) for c in range(0, c0))
    if right == 2:
        corridor.update((r0, c) for c in range(c0 + 1, COLS))

    grid = [[0] * COLS for _ in range(ROWS)]
    for r, c in corridor:
        for dr in (-1, 0, 1):
            for dc in (-1, 0, 1):
                rr, cc = r + dr, c + dc
                if 0 <= rr < ROWS and 0 <= cc < COLS and (rr, cc) not in corridor:
                    grid[rr][cc] = 1

    def stroke(cells, through):
        # A single stroke that runs straight across crosses the corridor;
        # one that ends at it stops at its wall.
        for r, c in cells:
            if (r, c) in corridor and not through:
                return
            grid[r][c] = 1

    if up == 1:
        stroke([(r, c0) for r in range(0, r0 + 1)], down == 1)
    if down == 1:
        stroke([(r, c0) for r in range(ROWS - 1, r0 - 1, -1)], up == 1)
    if left == 1:
        stroke([(r0, c) for c in range(0, c0 + 1)], right == 1)
    if right == 1:
        stroke([(r0, c) for c in range(COLS - 1, c0 - 1, -1)], left == 1)
    return grid


def shade_glyph(code):
    """Light, medium and dark shade. Periods of 2 columns and 4 rows divide
    the 6x8 cell, so the pattern runs on unbroken from cell to cell."""
    def light(r, c):
        return r % 2 == 0 and c % 2 == r // 2 % 2
    pick = {
        176: light,
        177: lambda r, c: (r + c) % 2 == 0,
        178: lambda r, c: not light(r, c),
    }[code]
    return [[1 if pick(r, c) else 0 for c in range(COLS)] for r in range(ROWS)]


def block_glyph(code):
    inside = {
        219: lambda r, c: True,
        220: lambda r, c: r >= ROWS // 2,
        221: lambda r, c: c < COLS // 2,
        222: lambda r, c: c >= COLS // 2,
        223: lambda r, c: r < ROWS // 2,
    }[code]
    return [[1 if inside(r, c) else 0 for c in range(COLS)] for r in range(ROWS)]


def drawn_glyph(code):
    if code in BOX_ARMS:
        return box_glyph(BOX_ARMS[code])
    if code in (176, 177, 178):
        return shade_glyph(code)
    return block_glyph(code)


def build_font(glyphs):
    font = {}
    for code in range(1, 256):
        if 176 <= code <= 223:
            font[code] = drawn_glyph(code)
            continue
        point = UNICODE[code]
        if point not in glyphs:
            sys.exit("gen_font: the font has no glyph for U+%04X (byte %d)"
                     % (point, code))
        font[code] = glyphs[point]
    return font


def write_font(font, path):
    with open(path, "w", newline="\n") as f:
        for code in range(1, 256):
            for row in font[code]:
                f.write(",".join("-1" if lit else "0" for lit in row) + "\n")


def write_table(path):
    lines = [
        "// Generated by tools/font/gen_font.py from tools/font/cp437.py;",
        "// edit those and run the generator again instead of editing this file.",
        '#include "gfx/cp437.h"',
        "",
        "namespace {",
        "",
        "// The code point each byte 1..255 shows; index 0 is unused.",
        "const uint32_t kUnicodeOfByte[256] = {",
    ]
    values = [0] + [UNICODE[b] for b in range(1, 256)]
    for start in range(0, 256, 8):
        row = ", ".join("0x%04X" % v for v in values[start:start + 8])
        lines.append("    %s,  // %d..%d" % (row, start, start + 7))
    lines += [
        "};",
        "",
        "}  // namespace",
        "",
        "unsigned char cp437FromUnicode(uint32_t codePoint) {",
        "    // Control code points have no glyph of their own; the bytes",
        "    // 1..31 and 127 answer only to the symbols they show.",
        "    if (codePoint < 32 || codePoint == 127) return 0;",
        "    for (int byte = 1; byte <= 255; ++byte) {",
        "        if (kUnicodeOfByte[byte] == codePoint) return static_cast<unsigned char>(byte);",
        "    }",
        "    return 0;",
        "}",
    ]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("font", nargs="?", default=DEFAULT_FONT,
                        help="PCF (optionally gzipped) or BDF source font")
    parser.add_argument("--font-out", default=os.path.join(ROOT, "SYS", "FONT.DAT"))
    parser.add_argument("--table-out",
                        default=os.path.join(ROOT, "gfx", "cp437_table.cpp"))
    args = parser.parse_args()
    font = build_font(parse_bdf(read_bdf_text(args.font)))
    os.makedirs(os.path.dirname(args.font_out), exist_ok=True)
    write_font(font, args.font_out)
    write_table(args.table_out)


if __name__ == "__main__":
    main()
