#!/usr/bin/env python3
"""The Windows program's icons (res/*.ico) and the Linux program's (qt/icons/*.png) show the same picture: every
.ico image, decoded by ImageMagick, is opaque exactly where the PNG of its size is at least half covered, light
(the white marks) where the PNG is light but along the marks' edges, and a 256-colour image keeps the PNG's
colours up to its palette.

    icons_test.py [SOURCE_DIR]   (default: this checkout)
"""

import os
import subprocess
import sys
import unittest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# A 256-colour image holds a 6x6x6 colour cube: each channel is at most 26 off, and the average far less.
MEAN_COLOUR_ERROR = 20
LIGHT = 200  # the least luma of a light pixel


def decoded(path, frame=None):
    """(width, bits per pixel or None, RGBA pixels) of one image of PATH, as ImageMagick reads it."""
    name = path if frame is None else '%s[%d]' % (path, frame)
    info = subprocess.run(['identify', '-format', '%w %[bit-depth] %[colors]\n', name], check=True,
                          capture_output=True, text=True).stdout.split()
    data = subprocess.run(['convert', name, '-depth', '8', 'rgba:-'], check=True, capture_output=True).stdout
    pixels = [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]
    return int(info[0]), pixels


def ico_images(path):
    count = len(subprocess.run(['identify', path], check=True, capture_output=True, text=True).stdout.splitlines())
    return [decoded(path, frame) for frame in range(count)]


def ico_bits(path):
    """Bits per pixel of each image, from the .ico's directory."""
    with open(path, 'rb') as f:
        data = f.read()
    count = int.from_bytes(data[4:6], 'little')
    return [int.from_bytes(data[6 + 16 * i + 6:6 + 16 * i + 8], 'little') for i in range(count)]


def light(pixel):
    return 0.299 * pixel[0] + 0.587 * pixel[1] + 0.114 * pixel[2] >= LIGHT


class SamePicture(unittest.TestCase):
    def compare(self, ico, png_name):
        ico_path = os.path.join(SOURCE_DIR, 'res', ico)
        for (size, pixels), bits in zip(ico_images(ico_path), ico_bits(ico_path)):
            png_size, png_pixels = decoded(os.path.join(SOURCE_DIR, 'qt', 'icons', png_name % size))
            where = '%s, %dx%d in %d bits' % (ico, size, size, bits)
            self.assertEqual(png_size, size, where)
            opaque = [p[3] == 255 for p in pixels]
            covered = [p[3] >= 128 for p in png_pixels]
            differing = sum(a != b for a, b in zip(opaque, covered))
            self.assertEqual(differing, 0, '%s: %d pixels opaque in one and not the other' % (where, differing))
            # Anti-aliased edge pixels may fall either way: at most half a pixel per row.
            differing = sum(light(p) != light(q) for p, q, shown in zip(pixels, png_pixels, opaque) if shown)
            self.assertLessEqual(differing, size // 2, '%s: %d pixels light in one and not the other' % (where, differing))
            if bits == 8:
                errors = [max(abs(a - b) for a, b in zip(p[:3], q[:3]))
                          for p, q, shown in zip(pixels, png_pixels, opaque) if shown]
                mean = sum(errors) / len(errors)
                self.assertLessEqual(mean, MEAN_COLOUR_ERROR, '%s: colours %.1f off on average' % (where, mean))

    def test_program_icon(self):
        self.compare('zorvane.ico', 'zorvane-%d.png')

    def test_help_icon(self):
        self.compare('help.ico', 'help-%d.png')


if __name__ == '__main__':
    if len(sys.argv) > 1 and not sys.argv[1].startswith('-'):
        SOURCE_DIR = sys.argv.pop(1)
    unittest.main()
