#!/usr/bin/env python3
"""Writes the sample frames that ./run.sh turns into build/demo.gif.

Six frames of a ball that drops, squashes on the ground and rises again, changing
colour on the way; played in file-name order they loop seamlessly. The frames are
also meant to exercise the engine, so their records differ on purpose:

  01-red.gif     GIF89a, 64x64, 16-entry global table, no extensions
  02-orange.gif  GIF87a, 64x64, 8-entry global table
  03-yellow.gif  GIF89a, 64x64, comment extension of two sub-blocks, interlaced image
  04-green.gif   GIF89a, 48x64 screen, 40x56 image at (8, 8), application extension
  05-blue.gif    GIF89a, 4-entry global table of greys and a 32-entry local table
                 whose colours sit at indices 16..23 (beyond the global table)
  06-purple.gif  GIF89a, no global table, 8-entry local table, graphic control
                 extension with transparency (index 0), disposal 1, delay 10

Everything is written here by hand (records, LZW compression, sub-blocks), so the
script needs nothing but python3 and writes the same bytes on every run.

Usage: make_samples.py [--check] [DIR]
  DIR       where to write the frames (default: this script's folder)
  --check   write nothing; exit 1 if any frame in DIR differs from what would be written
"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "scripts"))
from generated_files import write_or_check  # noqa: E402

SCREEN = 64

# Record bytes.
EXTENSION_INTRODUCER = 0x21
IMAGE_INTRODUCER = 0x2C
TRAILER = 0x3B
LABEL_GRAPHIC_CONTROL = 0xF9
LABEL_COMMENT = 0xFE
LABEL_APPLICATION = 0xFF
BLOCK_TERMINATOR = 0x00
MAX_SUB_BLOCK = 255

# Packed-flag bits.
SCREEN_GLOBAL_TABLE = 0x80
IMAGE_LOCAL_TABLE = 0x80
IMAGE_INTERLACED = 0x40
GCE_TRANSPARENT = 0x01
GCE_DISPOSAL_SHIFT = 2

LZW_MAX_CODES = 4096
LZW_MAX_BITS = 12

WHITE = (255, 255, 255)
SHADOW_LIGHT = (226, 226, 230)
SHADOW_DARK = (196, 196, 204)

# Palette layout shared by all frames (offset by `base` in 05-blue.gif).
IX_BACKGROUND, IX_SHADOW_LIGHT, IX_SHADOW_DARK, IX_OUTLINE, IX_DARK, IX_BASE, IX_LIGHT, IX_HIGHLIGHT = range(8)


def u16(value):
    return struct.pack("<H", value)


def size_field(entries):
    """The 3-bit size field N of a colour table with `entries` entries (2^(N+1))."""
    n = entries.bit_length() - 2
    assert entries == 1 << (n + 1) and 0 <= n <= 7
    return n


def mix(color, other, amount):
    """`color` moved towards `other` by amount/100, rounded to the nearest integer."""
    return tuple((c * (100 - amount) + o * amount + 50) // 100 for c, o in zip(color, other))


def ball_palette(hue):
    return [
        WHITE,
        SHADOW_LIGHT,
        SHADOW_DARK,
        mix(hue, (0, 0, 0), 55),
        mix(hue, (0, 0, 0), 25),
        hue,
        mix(hue, WHITE, 35),
        mix(hue, WHITE, 75),
    ]


def color_table(colors, entries):
    """`colors` padded to `entries` entries with a grey ramp, as table bytes."""
    table = list(colors)
    spare = entries - len(table)
    for k in range(spare):
        level = 255 * k // max(spare - 1, 1)
        table.append((level, level, level))
    return b"".join(bytes(c) for c in table)


def inside(dx, dy, rx, ry):
    return (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry) <= 1.0


def draw_scene(width, height, left, top, cx, cy, rx, ry, shadow_rx, base):
    """Index raster of the part [left, left+width) x [top, top+height) of the 64x64 scene."""
    ground = 59.0
    pixels = bytearray()
    for y in range(top, top + height):
        for x in range(left, left + width):
            px, py = x + 0.5, y + 0.5
            dx, dy = px - cx, py - cy
            if inside(dx, dy, rx, ry):
                if not inside(dx, dy, rx - 1.2, ry - 1.2):
                    index = IX_OUTLINE
                else:
                    # Light from the upper left.
                    lx, ly = (dx + 0.4 * rx) / rx, (dy + 0.45 * ry) / ry
                    d = lx * lx + ly * ly
                    if d < 0.06:
                        index = IX_HIGHLIGHT
                    elif d < 0.45:
                        index = IX_LIGHT
                    elif d < 1.25:
                        index = IX_BASE
                    else:
                        index = IX_DARK
            elif inside(px - 32.0, py - ground, shadow_rx, 2.2):
                if inside(px - 32.0, py - ground, shadow_rx * 0.6, 1.3):
                    index = IX_SHADOW_DARK
                else:
                    index = IX_SHADOW_LIGHT
            else:
                index = IX_BACKGROUND
            pixels.append(base + index)
    return bytes(pixels)


def interlaced_rows(height):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows.extend(range(start, height, step))
    return rows


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.nbits = 0

    def write(self, code, width):
        self.acc |= code << self.nbits
        self.nbits += width
        while self.nbits >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.nbits -= 8

    def finish(self):
        if self.nbits:
            self.out.append(self.acc & 0xFF)
        return bytes(self.out)


def lzw_encode(indices, min_code_size):
    """GIF variant of LZW: variable code width up to 12 bits, clear code when the table is full."""
    clear = 1 << min_code_size
    end = clear + 1
    writer = BitWriter()

    def reset():
        return {}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    writer.write(clear, width)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        writer.write(prefix, width)
        table[key] = next_code
        next_code += 1
        if next_code == LZW_MAX_CODES:
            writer.write(clear, width)
            table, next_code, width = reset()
        elif next_code > (1 << width) and width < LZW_MAX_BITS:
            width += 1
        prefix = k
    writer.write(prefix, width)
    writer.write(end, width)
    return writer.finish()


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), MAX_SUB_BLOCK):
        chunk = data[i : i + MAX_SUB_BLOCK]
        out.append(len(chunk))
        out += chunk
    out.append(BLOCK_TERMINATOR)
    return bytes(out)


def header(version):
    return b"GIF" + version


def screen_descriptor(width, height, global_entries):
    flags = 0
    if global_entries:
        n = size_field(global_entries)
        flags = SCREEN_GLOBAL_TABLE | (n << 4) | n  # colour resolution follows the table depth
    return u16(width) + u16(height) + bytes([flags, 0, 0])


def comment_extension(text):
    return bytes([EXTENSION_INTRODUCER, LABEL_COMMENT]) + sub_blocks(text)


def application_extension(identifier, data):
    assert len(identifier) == 11
    return bytes([EXTENSION_INTRODUCER, LABEL_APPLICATION, len(identifier)]) + identifier + sub_blocks(data)


def graphic_control(disposal, delay, transparent_index=None):
    flags = disposal << GCE_DISPOSAL_SHIFT
    if transparent_index is not None:
        flags |= GCE_TRANSPARENT
    body = bytes([4, flags]) + u16(delay) + bytes([transparent_index or 0, BLOCK_TERMINATOR])
    return bytes([EXTENSION_INTRODUCER, LABEL_GRAPHIC_CONTROL]) + body


def image(left, top, width, height, pixels, min_code_size, local_table=None, interlaced=False):
    flags = 0
    if local_table is not None:
        flags |= IMAGE_LOCAL_TABLE | size_field(len(local_table) // 3)
    if interlaced:
        flags |= IMAGE_INTERLACED
        pixels = b"".join(pixels[row * width : (row + 1) * width] for row in interlaced_rows(height))
    out = bytes([IMAGE_INTRODUCER]) + u16(left) + u16(top) + u16(width) + u16(height) + bytes([flags])
    if local_table is not None:
        out += local_table
    return out + bytes([min_code_size]) + sub_blocks(lzw_encode(pixels, min_code_size))


# Ball path over one bounce: centre, radii and shadow size per frame.
FRAMES = [
    # name, hue, centre y, rx, ry, shadow rx
    ("01-red", (222, 48, 56), 12.0, 7.0, 7.0, 5.0),
    ("02-orange", (240, 132, 32), 27.0, 6.4, 7.4, 6.5),
    ("03-yellow", (240, 200, 24), 46.0, 6.2, 8.2, 8.5),
    ("04-green", (52, 172, 76), 53.6, 9.2, 5.4, 11.0),
    ("05-blue", (40, 112, 220), 46.0, 6.2, 8.2, 8.5),
    ("06-purple", (150, 64, 200), 27.0, 6.4, 7.4, 6.5),
]

COMMENT = (
    b"Zorvane sample frame 3 of 6: the ball, still falling, just before it reaches the ground. "
    b"This comment is long on purpose: it spans two data sub-blocks, the first of them 255 bytes long, "
    b"so that readers have to skip a full sub-block before they find the image. The image after it "
    b"is stored interlaced, in four passes of rows."
)


def frame_bytes(index):
    name, hue, cy, rx, ry, shadow_rx = FRAMES[index]
    palette = ball_palette(hue)
    scene = dict(cx=32.0, cy=cy, rx=rx, ry=ry, shadow_rx=shadow_rx)
    full = lambda base=0: draw_scene(SCREEN, SCREEN, 0, 0, base=base, **scene)

    if name == "01-red":
        return (header(b"89a") + screen_descriptor(SCREEN, SCREEN, 16) + color_table(palette, 16)
                + image(0, 0, SCREEN, SCREEN, full(), 4)
                + bytes([TRAILER]))
    if name == "02-orange":
        return (header(b"87a") + screen_descriptor(SCREEN, SCREEN, 8) + color_table(palette, 8)
                + image(0, 0, SCREEN, SCREEN, full(), 3)
                + bytes([TRAILER]))
    if name == "03-yellow":
        return (header(b"89a") + screen_descriptor(SCREEN, SCREEN, 16) + color_table(palette, 16)
                + comment_extension(COMMENT)
                + image(0, 0, SCREEN, SCREEN, full(), 4, interlaced=True)
                + bytes([TRAILER]))
    if name == "04-green":
        left, top, width, height = 8, 8, 40, 56
        pixels = draw_scene(width, height, left, top, base=0, **scene)
        return (header(b"89a") + screen_descriptor(48, SCREEN, 16) + color_table(palette, 16)
                + application_extension(b"ZORVANE 1.0", b"sample 4: 48x64 screen, image at 8,8")
                + image(left, top, width, height, pixels, 4)
                + bytes([TRAILER]))
    if name == "05-blue":
        greys = [(0, 0, 0), (85, 85, 85), (170, 170, 170), (255, 255, 255)]
        base = 16
        local = color_table([(0, 0, 0)] * base + palette, 32)
        return (header(b"89a") + screen_descriptor(SCREEN, SCREEN, 4) + color_table(greys, 4)
                + image(0, 0, SCREEN, SCREEN, full(base), 5, local_table=local)
                + bytes([TRAILER]))
    if name == "06-purple":
        return (header(b"89a") + screen_descriptor(SCREEN, SCREEN, 0)
                + graphic_control(disposal=1, delay=10, transparent_index=IX_BACKGROUND)
                + image(0, 0, SCREEN, SCREEN, full(), 3, local_table=color_table(palette, 8))
                + bytes([TRAILER]))
    raise AssertionError(name)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    if len(args) > 1 or any(a.startswith("-") for a in args):
        sys.stderr.write(__doc__.split("\n\n")[-1] + "\n")
        return 2
    folder = args[0] if args else os.path.dirname(os.path.abspath(__file__))
    outputs = ((os.path.join(folder, frame[0] + ".gif"), frame_bytes(i)) for i, frame in enumerate(FRAMES))
    return write_or_check(outputs, check, "make_samples.py")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
