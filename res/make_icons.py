#!/usr/bin/env python3
"""Draws Zorvane's icons, for the Windows program and the Linux one alike.

  res/zorvane.ico      IDI_MAIN: 32x32, 48x48 and 16x16 in 256 colours, 32x32 and 16x16 in 16
  res/help.ico         IDI_HELP: 32x32 in 16 colours
  qt/icons/zorvane-16.png, -32.png, -48.png, -128.png
  qt/icons/help-32.png

The program icon is three stacked picture frames, the front one with a play
mark; the help icon a white question mark on a blue disc. Both are drawn once,
as shapes in unit coordinates sampled four by four per pixel, and every file
comes from that drawing: a PNG keeps the pixels' colours and coverage as they
are; a 256-colour .ico image maps each pixel to the nearest palette colour,
a 16-colour one draws each colour of the artwork as its stand-in among the 16
standard colours; in an .ico, pixels less than half covered are transparent
(AND mask set). Needs nothing but python3; writes the same bytes on every run.

Usage: make_icons.py [--check]
  --check   write nothing; exit 1 if any icon differs from what would be written
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, 'scripts'))
from generated_files import write_or_check  # noqa: E402

SUPERSAMPLE = 4
PNG_SIZES = (16, 32, 48, 128)
HELP_SIZE = 32
# The images of each .ico: (size, bits per pixel), in the order they are stored.
MAIN_ICO_FORMATS = [(32, 8), (48, 8), (16, 8), (32, 4), (16, 4)]
HELP_ICO_FORMATS = [(32, 4)]

# The 16 colours of the standard VGA palette.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """VGA colours, a 6x6x6 colour cube and a grey ramp: 256 entries."""
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    greys = [(v, v, v) for v in (8 + 10 * i for i in range(24))]
    colours = VGA16 + cube + greys
    assert len(colours) == 256
    return colours


# The colours of the artwork: RGBA, and the stand-in the 16-colour images draw instead.
CARD_BORDER = ((40, 40, 48, 255), (0, 0, 0))
BACK_CARD = ((70, 120, 220, 255), (0, 0, 255))
MIDDLE_CARD = ((60, 180, 90, 255), (0, 128, 0))
FRONT_CARD = ((235, 110, 40, 255), (255, 0, 0))
WHITE = ((255, 255, 255, 255), (255, 255, 255))
DISC_RIM = ((30, 60, 140, 255), (0, 0, 128))
DISC_FACE = ((50, 110, 210, 255), (0, 0, 255))


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


def framed(x0, y0, x1, y1, face):
    """A frame card: dark border with a coloured face."""
    edge = 0.045
    return [
        (rounded_rect(x0, y0, x1, y1, 0.07), CARD_BORDER),
        (rounded_rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge, 0.04), face),
    ]


def program_layers():
    """Back to front: each shape with its colour."""
    layers = []
    layers += framed(0.30, 0.04, 0.96, 0.58, BACK_CARD)
    layers += framed(0.17, 0.21, 0.83, 0.75, MIDDLE_CARD)
    layers += framed(0.04, 0.38, 0.70, 0.96, FRONT_CARD)
    layers.append((triangle((0.27, 0.52), (0.27, 0.82), (0.53, 0.67)), WHITE))
    return layers


def help_layers():
    return [
        (disc(0.5, 0.5, 0.48), DISC_RIM),
        (disc(0.5, 0.5, 0.43), DISC_FACE),
        (arc(0.5, 0.37, 0.08, 0.19, 150, 90), WHITE),
        (rounded_rect(0.45, 0.52, 0.56, 0.66, 0.02), WHITE),
        (disc(0.505, 0.78, 0.065), WHITE),
    ]


def render(layers, size, stand_ins=False):
    """Straight-alpha RGBA pixels, rows top first, each pixel the average of its subsamples; with stand_ins the
    artwork's 16-colour stand-ins instead of its colours."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = (0, 0, 0, 0)
                    for inside, (rgba, stand_in) in layers:
                        if inside(x, y):
                            colour = stand_in + (255,) if stand_ins else rgba
                    alpha = colour[3]
                    for k in range(3):
                        acc[k] += colour[k] * alpha
                    acc[3] += alpha
            total_alpha = acc[3]
            if total_alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(acc[k] / total_alpha) for k in range(3)) + (round(total_alpha / (n * n)),))
        rows.append(row)
    return rows


def png_bytes(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    size = len(pixels)
    bit_depth, colour_type_rgba = 8, 6
    header = struct.pack(">IIBBBBB", size, size, bit_depth, colour_type_rgba, 0, 0, 0)
    filter_none = b"\x00"
    raw = b"".join(filter_none + bytes(channel for pixel in row for channel in pixel) for row in pixels)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def nearest(palette, rgb):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))


def dib(pixels, bits, palette):
    """BITMAPINFOHEADER, palette, XOR bits and AND mask of one icon image."""
    size = len(pixels)
    colours = 1 << bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette[:colours])
    xor_stride = ((size * bits + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b'', b''
    for y in reversed(range(size)):  # bottom-up rows
        row = bytearray(xor_stride)
        bits_row = bytearray(and_stride)
        for x in range(size):
            pixel = pixels[y][x]
            transparent = pixel[3] < 128
            idx = 0 if transparent else nearest(palette, pixel)
            if bits == 8:
                row[x] = idx
            else:
                row[x // 2] |= idx << (4 if x % 2 == 0 else 0)
            if transparent:
                bits_row[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(row)
        mask += bytes(bits_row)
    return header + table + xor + mask


def ico_bytes(layers, formats):
    images = []
    for size, bits in formats:
        palette = palette256() if bits == 8 else VGA16
        images.append((size, bits, dib(render(layers, size, stand_ins=bits == 4), bits, palette)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colour_count = 0 if bits >= 8 else 1 << bits
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, _, data in images)


def icons():
    """(path relative to the source tree, bytes) of every icon file."""
    yield 'res/zorvane.ico', ico_bytes(program_layers(), MAIN_ICO_FORMATS)
    yield 'res/help.ico', ico_bytes(help_layers(), HELP_ICO_FORMATS)
    for size in PNG_SIZES:
        yield 'qt/icons/zorvane-%d.png' % size, png_bytes(render(program_layers(), size))
    yield 'qt/icons/help-%d.png' % HELP_SIZE, png_bytes(render(help_layers(), HELP_SIZE))


def main(argv):
    if argv not in ([], ['--check']):
        print('usage: res/make_icons.py [--check]', file=sys.stderr)
        return 2
    return write_or_check(((os.path.join(ROOT, name), data) for name, data in icons()), argv == ['--check'],
                          'make_icons.py')


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
