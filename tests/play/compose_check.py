#!/usr/bin/env python3
"""Checks, with Chromium compositing the frames as a browser plays them, that
a joined animation plays as its inputs play.

    compose_check.py [--center] OUTPUT INPUT...

OUTPUT was made from every image of each INPUT, in order, forwards. Every
composited frame of OUTPUT, cropped to its input's screen, must equal the
corresponding composited frame of that input played alone, with the same
duration, and nothing may show outside that screen while the input plays.
A frame the builder added to clear the canvas adds nothing to the picture:
it may follow the last frame of an input (not the last input), and its time
counts towards that frame.

The frames come from tests/web/decode.mjs (WebCodecs ImageDecoder).
"""
import json
import os
import subprocess
import sys
import tempfile

DECODE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web", "decode.mjs")


class Frame:
    def __init__(self, path, width, height, duration):
        with open(path, "rb") as f:
            self.pixels = f.read()
        self.width, self.height, self.duration = width, height, duration

    def crop(self, left, top, width, height):
        """The pixels of a rectangle, fully transparent ones as zeros."""
        out = bytearray()
        for y in range(top, top + height):
            row = self.pixels[4 * (y * self.width + left):4 * (y * self.width + left + width)]
            for x in range(0, len(row), 4):
                out += row[x:x + 4] if row[x + 3] else b"\0\0\0\0"
        return bytes(out)

    def clear_outside(self, left, top, width, height):
        for y in range(self.height):
            for x in range(self.width):
                inside = left <= x < left + width and top <= y < top + height
                if not inside and self.pixels[4 * (y * self.width + x) + 3]:
                    return False
        return True


def decode(paths, folder):
    lines = subprocess.run(["node", DECODE, "--rgba", folder] + paths, check=True, capture_output=True,
                           text=True).stdout.splitlines()
    animations = []
    for line in lines:
        info = json.loads(line)
        animations.append([Frame(p, info["width"], info["height"], d) for p, d in zip(info["rgba"], info["durations"])])
    return animations


def check(output_path, input_paths, center):
    with tempfile.TemporaryDirectory() as folder:
        # Each file under its own name: inputs may repeat.
        copies = []
        for k, p in enumerate([output_path] + input_paths):
            copy = os.path.join(folder, f"{k}.gif")
            os.symlink(os.path.abspath(p), copy)
            copies.append(copy)
        animations = decode(copies, os.path.join(folder, "frames"))
    output, inputs = animations[0], animations[1:]
    width, height = output[0].width, output[0].height
    position = 0
    for number, (path, frames) in enumerate(zip(input_paths, inputs)):
        w, h = frames[0].width, frames[0].height
        left, top = ((width - w) // 2, (height - h) // 2) if center else (0, 0)
        for index, want in enumerate(frames):
            expected = want.crop(0, 0, w, h)
            if position >= len(output):
                return f"{output_path}: ends before frame {index + 1} of {path}"
            got = output[position]
            position += 1
            if got.crop(left, top, w, h) != expected:
                return f"{output_path}: frame {position} differs from frame {index + 1} of {path}"
            if not got.clear_outside(left, top, w, h):
                return f"{output_path}: frame {position} shows pixels outside the screen of {path}"
            duration = got.duration
            last_of_input = index == len(frames) - 1 and number < len(inputs) - 1
            while (last_of_input and position < len(output) and output[position].crop(left, top, w, h) == expected
                   and output[position].clear_outside(left, top, w, h)):
                duration += output[position].duration
                position += 1
            if duration != want.duration:
                return (f"{output_path}: frame {position} plays {duration} us, "
                        f"frame {index + 1} of {path} {want.duration} us")
    if position != len(output):
        return f"{output_path}: {len(output) - position} frames more than its inputs"
    print(f"{output_path}: its {len(output)} frames play as the {len(input_paths)} inputs do")
    return None


def main(argv):
    center = "--center" in argv
    args = [a for a in argv if a != "--center"]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    problem = check(args[0], args[1:], center)
    if problem:
        print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
