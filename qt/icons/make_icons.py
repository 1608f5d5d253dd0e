#!/usr/bin/env python3
"""Draws the desktop program's icons as PNG files.

  zorvane-16.png, -32.png, -48.png, -128.png
      the program icon: three stacked frames, the front one with a play mark
  help-32.png
      the help button: a white question mark on a blue disc

Shapes are described in unit coordinates and supersampled, so every size is
drawn from the same artwork. Needs nothing but python3; writes the same bytes
on every run.

Usage: make_icons.py [--check] [DIR]
  DIR       where to write the icons (default: this script's folder)
  --check   write nothing; exit 1 if any icon in DIR differs from what would be written
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 4
PROGRAM_SIZES = (16, 32, 48, 128)
HELP_SIZE = 32


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2

    return inside


def disc(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)

    return inside


def arc(cx, cy, inner, outer, start_deg, end_deg):
    """Ring segment; angles in degrees, 0 = right, growing clockwise (y down)."""

    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if d2 < inner ** 2 or d2 > outer ** 2:
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return start_deg <= angle <= end_deg if start_deg <= end_deg else angle >= start_deg or angle <= end_deg

    return inside


def framed(x0, y0, x1, y1, fill, border=(40, 40, 48, 255)):
    """A frame card: dark border with a coloured face."""
    edge = 0.045
    return [
        (rounded_rect(x0, y0, x1, y1, 0.07), border),
        (rounded_rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge, 0.04), fill),
    ]


def program_layers():
    layers = []
    layers += framed(0.30, 0.04, 0.96, 0.58, (70, 120, 220, 255))
    layers += framed(0.17, 0.21, 0.83, 0.75, (60, 180, 90, 255))
    layers += framed(0.04, 0.38, 0.70, 0.96, (235, 110, 40, 255))
    layers.append((triangle((0.27, 0.52), (0.27, 0.82), (0.53, 0.67)), (255, 255, 255, 255)))
    return layers


def help_layers():
    white = (255, 255, 255, 255)
    return [
        (disc(0.5, 0.5, 0.48), (30, 60, 140, 255)),
        (disc(0.5, 0.5, 0.43), (50, 110, 210, 255)),
        (arc(0.5, 0.37, 0.08, 0.19, 150, 90), white),
        (rounded_rect(0.45, 0.52, 0.56, 0.66, 0.02), white),
        (disc(0.505, 0.78, 0.065), white),
    ]


def render(layers, size):
    """Straight-alpha RGBA rows, each pixel the average of its subsamples."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = (0, 0, 0, 0)
                    for inside, fill in layers:
                        if inside(x, y):
                            colour = fill
                    alpha = colour[3]
                    acc[0] += colour[0] * alpha
                    acc[1] += colour[1] * alpha
                    acc[2] += colour[2] * alpha
                    acc[3] += alpha
            total_alpha = acc[3]
            if total_alpha == 0:
                row += bytes(4)
            else:
                row += bytes(
                    [
                        round(acc[0] / total_alpha),
                        round(acc[1] / total_alpha),
                        round(acc[2] / total_alpha),
                        round(total_alpha / (n * n)),
                    ]
                )
        rows.append(bytes(row))
    return rows


def png_bytes(rows, size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    bit_depth, colour_type_rgba = 8, 6
    header = struct.pack(">IIBBBBB", size, size, bit_depth, colour_type_rgba, 0, 0, 0)
    filter_none = b"\x00"
    raw = b"".join(filter_none + row for row in rows)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def icons():
    for size in PROGRAM_SIZES:
        yield "zorvane-%d.png" % size, png_bytes(render(program_layers(), size), size)
    yield "help-%d.png" % HELP_SIZE, png_bytes(render(help_layers(), HELP_SIZE), HELP_SIZE)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    folder = args[0] if args else os.path.dirname(os.path.abspath(__file__))
    differing = []
    for name, data in icons():
        path = os.path.join(folder, name)
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        differing.append(name)
            except OSError:
                differing.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    for name in differing:
        print("differs: %s" % name, file=sys.stderr)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
