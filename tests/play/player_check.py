#!/usr/bin/env python3
"""Checks that the core's compositor plays GIF files as Chromium plays them.

    player_check.py PLAY_FRAMES FILE...

PLAY_FRAMES is the test tool built with the tests (build/tests/play_frames).
Every file is decoded by headless Chromium (tests/web/decode.mjs, WebCodecs
ImageDecoder) and by the compositor: the canvas size, the frame count, each
duration and each frame's RGBA pixels must be the same (the colour of fully
transparent pixels is ignored). A file Chromium refuses to decode must have
a damaged frame in the compositor's view too, or be refused by it, or have
a canvas side above 32,767 pixels (Chromium decodes no frame that wide or
tall; the compositor does). A file Chromium finds no frame in must be
refused by the compositor.
"""
import json
import os
import subprocess
import sys
import tempfile

DECODE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web", "decode.mjs")


def lines(command):
    out = subprocess.run(command, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]


def pixels(path):
    """RGBA with fully transparent pixels as zeros."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    for i in range(0, len(data), 4):
        if data[i + 3] == 0:
            data[i:i + 4] = b"\0\0\0\0"
    return bytes(data)


CHROMIUM_LARGEST_SIDE = 32767


def compare(browser, ours):
    if browser.get("error"):
        if ours.get("error") or any(ours.get("damaged", [])):
            return None
        if max(ours["width"], ours["height"]) > CHROMIUM_LARGEST_SIDE:
            return None
        return f"Chromium refuses it ({browser['error']}), the compositor finds nothing damaged"
    if ours.get("error"):
        if browser["frameCount"] == 0:
            return None
        return f"the compositor refuses it: {ours['error']}"
    for key in ("width", "height", "frameCount", "durations"):
        if browser[key] != ours[key]:
            return f"{key}: Chromium {browser[key]}, compositor {ours[key]}"
    for index, (want, got) in enumerate(zip(browser["rgba"], ours["rgba"])):
        a, b = pixels(want), pixels(got)
        if a != b:
            first = next(i for i in range(0, len(a), 4) if a[i:i + 4] != b[i:i + 4]) // 4
            x, y = first % browser["width"], first // browser["width"]
            return (f"frame {index}: pixel ({x}, {y}) is {a[4 * first:4 * first + 4].hex()} in Chromium, "
                    f"{b[4 * first:4 * first + 4].hex()} in the compositor")
    return None


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    tool, files = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as folder:
        # Each file under its own name: names may repeat across folders.
        copies = []
        for k, path in enumerate(files):
            copy = os.path.join(folder, f"{k}.gif")
            os.symlink(os.path.abspath(path), copy)
            copies.append(copy)
        browser_dir, our_dir = os.path.join(folder, "chromium"), os.path.join(folder, "ours")
        os.mkdir(our_dir)
        browser = {line["file"]: line for line in lines(["node", DECODE, "--rgba", browser_dir] + copies)}
        ours = {line["file"]: line for line in lines([tool, "--rgba", our_dir] + copies)}
        faults = 0
        for path, copy in zip(files, copies):
            if copy not in browser or copy not in ours:
                print(f"{path}: not decoded ({'Chromium' if copy not in browser else 'compositor'})")
                faults += 1
                continue
            fault = compare(browser[copy], ours[copy])
            if fault:
                print(f"{path}: {fault}")
                faults += 1
    print(f"compositor against Chromium: {len(files) - faults} of {len(files)} files alike")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
