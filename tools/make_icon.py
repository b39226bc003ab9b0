#!/usr/bin/env python3
"""Draws the program icon of the desktop program: a globe with the grey land of the
world map, a sky wave hopping from a station in the three MOF band colours, and the
sun. 64 x 64 RGBA, transparent outside the globe, drawn four times larger and averaged
down for smooth edges. Standard library only.

    tools/make_icon.py [resources/skywave-icon.png]
"""
import math
import struct
import sys
import zlib

SIZE, SS = 64, 4
N = SIZE * SS


def inside_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def colour_at(x, y):
    """Colour of a point in icon units (0..64), or None for transparent."""
    gx, gy, gr = 32.0, 33.0, 29.0
    d = math.hypot(x - gx, y - gy)
    sun = math.hypot(x - 53, y - 11) <= 8
    if sun:
        return (255, 224, 0, 255)
    if d > gr:
        return None
    if d > gr - 2:
        return (192, 192, 192, 255)
    # the hops: half ellipses from the station eastward, one per band colour
    for i, col in enumerate(((64, 128, 255), (0, 224, 0), (255, 32, 32))):
        x0 = 10 + 15 * i
        cx, cy, rx, ry = x0 + 7.5, 42.0, 7.5, 14.0 - 2 * i
        if y <= cy:
            r = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
            if 0.72 <= r <= 1.0:
                return col + (255,)
    if math.hypot(x - 10, y - 42) <= 3:
        return (255, 255, 255, 255)
    land = (inside_ellipse(x, y, 19, 22, 9, 6) or inside_ellipse(x, y, 20, 34, 5, 9)
            or inside_ellipse(x, y, 41, 21, 11, 6) or inside_ellipse(x, y, 44, 37, 5, 8)
            or inside_ellipse(x, y, 31, 55, 12, 3))
    return (128, 128, 128, 255) if land else (0, 0, 128, 255)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else __file__.rsplit("/", 2)[0] + "/resources/skywave-icon.png"
    rows = []
    for py in range(SIZE):
        row = bytearray([0])
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = colour_at(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    if c:
                        for k in range(3):
                            acc[k] += c[k] * c[3]
                        acc[3] += c[3]
            a = acc[3]
            if a:
                row += bytes([acc[0] // a, acc[1] // a, acc[2] // a, a // (SS * SS)])
            else:
                row += bytes(4)
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(out, "wb") as f:
        f.write(png)
    print("wrote", out)


if __name__ == "__main__":
    main()
