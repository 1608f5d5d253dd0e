#!/usr/bin/python3
"""Checks with Pillow, a decoder that composites frames, that a joined
animation plays as its inputs play.

    compose_check.py [--center] OUTPUT INPUT...

OUTPUT was made from every image of each INPUT, in order, forwards. Every
composited frame of OUTPUT, cropped to its input's screen, must equal the
corresponding composited frame of that input played alone, with the same
duration; nothing may show outside that screen while the input plays. Frames
the builder added between inputs to clear the canvas add nothing to the
picture: they are allowed where the canvas is then cleared, and their time
counts towards the frame before them.
"""
import sys

from PIL import Image


def frames(path):
    """Composited RGBA frames and their durations in milliseconds."""
    image = Image.open(path)
    result = []
    for index in range(image.n_frames):
        image.seek(index)
        result.append((image.convert("RGBA"), image.info.get("duration", 0)))
    return result


def same(a, b):
    # Fully transparent pixels are equal whatever colour they carry.
    def visible(im):
        alpha = im.getchannel("A")
        black = Image.new("RGBA", im.size)
        return Image.composite(im, black, alpha.point(lambda v: 255 if v else 0))

    return visible(a).tobytes() == visible(b).tobytes()


def clear_outside(frame, box):
    alpha = frame.getchannel("A").copy()
    alpha.paste(0, box)
    return alpha.getbbox() is None


def main(argv):
    center = "--center" in argv
    args = [a for a in argv if a != "--center"]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    output = frames(args[0])
    width, height = Image.open(args[0]).size
    position = 0
    inputs = args[1:]
    for number, path in enumerate(inputs):
        expected = frames(path)
        w, h = Image.open(path).size
        dx, dy = ((width - w) // 2, (height - h) // 2) if center else (0, 0)
        box = (dx, dy, dx + w, dy + h)
        for index, (want, duration) in enumerate(expected):
            if position >= len(output):
                print(f"{args[0]}: ends before frame {index + 1} of {path}")
                return 1
            got, got_duration = output[position]
            position += 1
            if not same(got.crop(box), want):
                print(f"{args[0]}: frame {position} differs from frame {index + 1} of {path}")
                return 1
            if not clear_outside(got, box):
                print(f"{args[0]}: frame {position} shows pixels outside the screen of {path}")
                return 1
            # A clearing frame after it shows the same picture.
            while (index == len(expected) - 1 and position < len(output) and same(output[position][0].crop(box), want) and clear_outside(output[position][0], box)
                   and number < len(inputs) - 1):
                got_duration += output[position][1]
                position += 1
            if got_duration != duration:
                print(f"{args[0]}: frame {position} plays {got_duration} ms, frame {index + 1} of {path} {duration} ms")
                return 1
    if position != len(output):
        print(f"{args[0]}: {len(output) - position} frames more than its inputs")
        return 1
    print(f"{args[0]}: {len(output)} frames play as their {len(args) - 1} inputs")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
