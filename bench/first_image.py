#!/usr/bin/python3
"""Cuts out the bytes an animation frame is copied from, for the `cat` floor.

  first_image.py OUT_DIR FILE...
  first_image.py OUT_DIR --from LIST     the FILEs named in LIST, one per line

For the first image of each FILE, writes OUT_DIR/NNNN.bin (as many digits as
the count needs, at least 4) holding the colour
table the frame uses (local, else global), the 9-byte image descriptor and
the image data (LZW minimum code size and sub-blocks up to the terminator).
That is what a frame copier must carry over; the 8-byte graphic control
block it writes per frame and the few header bytes are left out. A
stand-alone walker over the GIF records, independent of the program measured.
"""
import os
import sys

EXTENSION = 0x21
IMAGE = 0x2C
TABLE_FLAG = 0x80
TABLE_SIZE_MASK = 0x07


def table_bytes(packed):
    return 3 * (2 << (packed & TABLE_SIZE_MASK)) if packed & TABLE_FLAG else 0


def skip_sub_blocks(data, pos):
    while True:
        length = data[pos]
        pos += 1
        if length == 0:
            return pos
        pos += length


def first_image_bytes(data):
    if data[:3] != b"GIF":
        raise ValueError("not a GIF")
    screen_packed = data[10]
    pos = 13
    global_table = data[pos:pos + table_bytes(screen_packed)]
    pos += len(global_table)
    while data[pos] != IMAGE:
        if data[pos] != EXTENSION:
            raise ValueError(f"unexpected byte 0x{data[pos]:02x} at {pos}")
        pos = skip_sub_blocks(data, pos + 2)
    start = pos
    image_packed = data[pos + 9]
    pos += 10 + table_bytes(image_packed)
    end = skip_sub_blocks(data, pos + 1)  # +1: LZW minimum code size
    used_table = b"" if image_packed & TABLE_FLAG else global_table
    return used_table + data[start:end]


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    if sys.argv[2] == "--from":
        with open(sys.argv[3], encoding="utf-8") as f:
            paths = f.read().splitlines()
    else:
        paths = sys.argv[2:]
    digits = max(4, len(str(len(paths) - 1)))
    os.makedirs(out_dir, exist_ok=True)
    for index, path in enumerate(paths):
        # Only the head of each file is needed, but corpus files are small
        # enough (< 20 MB) to read whole.
        with open(path, "rb") as f:
            piece = first_image_bytes(f.read())
        with open(os.path.join(out_dir, f"{index:0{digits}d}.bin"), "wb") as f:
            f.write(piece)


if __name__ == "__main__":
    main()
