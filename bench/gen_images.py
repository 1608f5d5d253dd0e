#!/usr/bin/python3
"""Writes the Pillow-made benchmark inputs, deterministically.

Pixels are a diagonal gradient plus uniform noise (added modulo 256), drawn
from random.Random(seed).randbytes, so every run yields the same bytes for
the same Pillow version. Usage:

  gen_images.py a DIR          100 frames 200x200, 256-colour global tables
  gen_images.py b DIR          20 frames 1920x1080, every 4th one interlaced
  gen_images.py c-base FILE    one 50-frame 640x480 animation
  gen_images.py d-parts DIR    single images the edge-case corpus starts from
  gen_images.py e DIR          100,000 frames 40x30 named 000000.gif ... (a time-lapse:
                               1,000 distinct frames, each written 100 times)
"""
import io
import random
import sys

from PIL import Image, ImageChops


def palette(seed):
    """A 256-entry colour ramp whose hue walk depends on `seed`."""
    entries = []
    for i in range(256):
        entries += [i, (i * (7 + 2 * seed)) & 0xFF, (255 - i + 31 * seed) & 0xFF]
    return entries


def noisy_frame(width, height, seed, noise_shift, pal_seed=None):
    """A palette image: gradient + (noise >> noise_shift), modulo 256."""
    rnd = random.Random(seed)
    gradient = Image.linear_gradient("L").rotate(45 + seed % 90).resize((width, height))
    noise = Image.frombytes("L", (width, height), rnd.randbytes(width * height))
    if noise_shift:
        noise = noise.point(lambda v: v >> noise_shift)
    mixed = ImageChops.add_modulo(gradient, noise)
    frame = Image.frombytes("P", (width, height), mixed.tobytes())
    frame.putpalette(palette(seed if pal_seed is None else pal_seed))
    return frame


def save_single(frame, path, **extra):
    options = {"interlace": False, "optimize": False}
    options.update(extra)
    frame.save(path, "GIF", **options)


def corpus_a(out_dir):
    for i in range(100):
        save_single(noisy_frame(200, 200, 1000 + i, 6), f"{out_dir}/a{i:03d}.gif")


def corpus_b(out_dir):
    for i in range(20):
        save_single(noisy_frame(1920, 1080, 2000 + i, 1), f"{out_dir}/b{i:02d}.gif", interlace=(i % 4 == 3))


def corpus_c_base(path):
    # One shared palette, so the animation has a single global table; noise
    # alternates between 5 and 4 significant bits to land near 360 KB a frame.
    frames = [noisy_frame(640, 480, 3000 + i, 3 + i % 2, pal_seed=3) for i in range(50)]
    frames[0].save(path, "GIF", save_all=True, append_images=frames[1:], duration=100, loop=0,
                   interlace=False, optimize=False, disposal=1)


def corpus_d_parts(out_dir):
    save_single(noisy_frame(160, 120, 4001, 2), f"{out_dir}/local-table.gif", include_color_table=True)
    save_single(noisy_frame(160, 120, 4002, 2), f"{out_dir}/transparent.gif", transparency=0)
    save_single(noisy_frame(160, 120, 4003, 2), f"{out_dir}/comment-app-src.gif", comment=b"benchmark edge case")
    save_single(noisy_frame(100, 80, 4004, 2), f"{out_dir}/offset-src.gif")
    save_single(noisy_frame(1, 1, 4005, 0), f"{out_dir}/tiny.gif")
    save_single(noisy_frame(64, 64, 4006, 2), f"{out_dir}/big-screen-src.gif")
    save_single(noisy_frame(120, 90, 4007, 2), f"{out_dir}/gif87a-src.gif")
    two = noisy_frame(96, 96, 4008, 7).point(lambda v: v >> 7)
    two.putpalette([0, 0, 0, 255, 255, 255])
    two.save(f"{out_dir}/two-colour.gif", "GIF")  # interlaced: Pillow's default
    # An animation whose later frames change only a small patch: gifsicle -O3
    # then stores them as cropped, offset sub-images.
    base = noisy_frame(200, 150, 4009, 2)
    frames = []
    for k in range(8):
        frame = base.copy()
        frame.paste(noisy_frame(24, 24, 4100 + k, 0, pal_seed=4009), (10 + 20 * k, 40 + 8 * k))
        frames.append(frame)
    frames[0].save(f"{out_dir}/anim-src.gif", "GIF", save_all=True, append_images=frames[1:], duration=80, loop=0,
                   interlace=False, optimize=False)


def corpus_e(out_dir):
    # Encoding 100,000 frames would take minutes; 1,000 distinct ones are
    # encoded once and written in turn, so every file is a separate copy.
    distinct = []
    for i in range(1000):
        buffer = io.BytesIO()
        noisy_frame(40, 30, 5000 + i, 4).save(buffer, "GIF", interlace=False, optimize=False)
        distinct.append(buffer.getvalue())
    for i in range(100000):
        with open(f"{out_dir}/{i:06d}.gif", "wb") as f:
            f.write(distinct[i % len(distinct)])


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    what, target = sys.argv[1], sys.argv[2]
    {"a": corpus_a, "b": corpus_b, "c-base": corpus_c_base, "d-parts": corpus_d_parts, "e": corpus_e}[what](target)


if __name__ == "__main__":
    main()
