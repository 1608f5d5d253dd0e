#!/usr/bin/env python3
"""Draws Zorvane's icons and writes them as Windows .ico files.

    python3 res/make_icons.py [output folder, default: the folder of this script]

zorvane.ico (IDI_MAIN): three stacked picture frames, the front one with a
play mark; 32x32, 48x48 and 16x16 in 256 colours, 32x32 and 16x16 in 16.
help.ico (IDI_HELP): a white question mark on a blue disc; 32x32 in 16 colours.

Only the standard library is used. Each image is drawn from shapes at four
by four samples per pixel, then mapped to the nearest palette colour; pixels
less than half covered are transparent (AND mask set).
"""

import math
import os
import struct
import sys

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


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
RED = (204, 51, 51)
YELLOW = (255, 204, 0)
BLUE = (51, 51, 204)
DISC = (0, 51, 204)


def in_rect(u, v, rect):
    x0, y0, x1, y1 = rect
    return x0 <= u < x1 and y0 <= v < y1


def in_triangle(u, v, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (v - p[1]) - (q[1] - p[1]) * (u - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def main_icon_sample(u, v, edge):
    """Colour at (u, v) in the unit square, or None where transparent."""
    colour = None
    frames = [((0.04, 0.04, 0.62, 0.62), RED), ((0.21, 0.21, 0.79, 0.79), YELLOW),
              ((0.38, 0.38, 0.96, 0.96), BLUE)]
    for rect, fill in frames:  # back to front
        if in_rect(u, v, rect):
            x0, y0, x1, y1 = rect
            inner = (x0 + edge, y0 + edge, x1 - edge, y1 - edge)
            colour = fill if in_rect(u, v, inner) else BLACK
    if in_triangle(u, v, (0.56, 0.51), (0.56, 0.83), (0.84, 0.67)):
        colour = WHITE
    return colour


def help_icon_sample(u, v, edge):
    dx, dy = u - 0.5, v - 0.5
    r = math.hypot(dx, dy)
    if r >= 0.48:
        return None
    if r >= 0.48 - edge:
        return BLACK
    # Hook of the question mark: a ring around (0.5, 0.36), open at the lower left.
    hx, hy = u - 0.5, v - 0.36
    hr = math.hypot(hx, hy)
    angle = math.degrees(math.atan2(hy, hx))  # 0 = right, 90 = down
    if 0.09 <= hr <= 0.19 and not (90 <= angle <= 180):
        return WHITE
    if in_rect(u, v, (0.45, 0.50, 0.55, 0.66)) or (in_rect(u, v, (0.45, 0.45, 0.64, 0.55)) and hr <= 0.19):
        return WHITE
    if math.hypot(u - 0.5, v - 0.77) <= 0.065:
        return WHITE
    return DISC


def render(sample, size, palette):
    """Indexed pixels (top row first) and transparency mask of one image."""
    edge = max(1, round(size / 24)) / size
    n = 4
    indices, transparent = [], []
    for y in range(size):
        row_idx, row_mask = [], []
        for x in range(size):
            acc, covered = [0, 0, 0], 0
            for sy in range(n):
                for sx in range(n):
                    c = sample((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size, edge)
                    if c is not None:
                        covered += 1
                        for k in range(3):
                            acc[k] += c[k]
            if covered * 2 < n * n:
                row_idx.append(0)
                row_mask.append(True)
                continue
            avg = tuple(a / covered for a in acc)
            best = min(range(len(palette)),
                       key=lambda i: sum((palette[i][k] - avg[k]) ** 2 for k in range(3)))
            row_idx.append(best)
            row_mask.append(False)
        indices.append(row_idx)
        transparent.append(row_mask)
    return indices, transparent


def dib(indices, transparent, size, bits, palette):
    """BITMAPINFOHEADER, palette, XOR bits and AND mask of one icon image."""
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
            idx = indices[y][x]
            if bits == 8:
                row[x] = idx
            else:
                row[x // 2] |= idx << (4 if x % 2 == 0 else 0)
            if transparent[y][x]:
                bits_row[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(row)
        mask += bytes(bits_row)
    return header + table + xor + mask


def write_ico(path, images):
    """images: list of (size, bits, dib bytes), in the order they are stored."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colour_count = 0 if bits >= 8 else 1 << bits
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


def build(sample, formats):
    images = []
    for size, bits in formats:
        palette = palette256() if bits == 8 else VGA16
        indices, transparent = render(sample, size, palette)
        images.append((size, bits, dib(indices, transparent, size, bits, palette)))
    return images


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(out_dir, 'zorvane.ico'),
              build(main_icon_sample, [(32, 8), (48, 8), (16, 8), (32, 4), (16, 4)]))
    write_ico(os.path.join(out_dir, 'help.ico'), build(help_icon_sample, [(32, 4)]))


if __name__ == '__main__':
    main()
