#!/usr/bin/env python3
"""Draws the status icons: a coloured disk with a darker rim and a soft
highlight, 64x64 RGBA PNG. Run from this folder to remake them."""
import math
import struct
import zlib

SIZE = 64
COLOURS = {
    "Tarvel Green": (46, 170, 72),
    "Tarvel Yellow": (238, 186, 20),
    "Tarvel Red": (214, 48, 40),
}


def coverage(x, y, radius):
    """Share of the pixel (x, y) inside the circle, by 4x4 supersampling."""
    c = SIZE / 2
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4 - c
            py = y + (sy + 0.5) / 4 - c
            inside += px * px + py * py <= radius * radius
    return inside / 16


def pixel(x, y, rgb):
    outer = coverage(x, y, SIZE / 2 - 2)
    if outer == 0:
        return (0, 0, 0, 0)
    inner = coverage(x, y, SIZE / 2 - 5)
    rim = tuple(int(v * 0.7) for v in rgb)
    # Lighter towards the upper left, as if lit from there.
    c = SIZE / 2
    d = math.hypot(x - c * 0.7, y - c * 0.7) / SIZE
    light = max(0.0, 0.35 - d) * 1.6
    body = tuple(min(255, int(v + (255 - v) * light)) for v in rgb)
    colour = tuple(int(b * inner + r * (1 - inner)) for b, r in zip(body, rim))
    return colour + (int(255 * outer),)


def png(rgb):
    rows = b"".join(b"\0" + bytes(v for x in range(SIZE) for v in pixel(x, y, rgb)) for y in range(SIZE))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


for name, rgb in COLOURS.items():
    with open(name + ".png", "wb") as f:
        f.write(png(rgb))
