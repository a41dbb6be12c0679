#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the Display Image dialog's 96 x 64 placeholder picture, a small test
card, and writes it as src/resources/placeholder.png (24-bit RGB).

Rows 0-31: seven colour bars (white, yellow, cyan, green, magenta, red, blue).
Rows 32-47: a hue sweep from red through green and blue back to red.
Rows 48-63: a grey ramp from black to white.
A one-pixel frame in white marks the picture's edges, so that cropping or
stretching shows at a glance. Uses the Python standard library only.
"""

import colorsys
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 96, 64
BARS = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0),
        (255, 0, 255), (255, 0, 0), (0, 0, 255)]


def pixel(x, y):
    if x in (0, WIDTH - 1) or y in (0, HEIGHT - 1):
        return (255, 255, 255)
    if y < 32:
        return BARS[min(len(BARS) - 1, x * len(BARS) // WIDTH)]
    if y < 48:
        r, g, b = colorsys.hsv_to_rgb(x / WIDTH, 1.0, 1.0)
        return (round(r * 255), round(g * 255), round(b * 255))
    v = round(x * 255 / (WIDTH - 1))
    return (v, v, v)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "resources", "placeholder.png")
    rows = [[pixel(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    with open(target, "wb") as out:
        out.write(png(WIDTH, HEIGHT, rows))


if __name__ == "__main__":
    main()
