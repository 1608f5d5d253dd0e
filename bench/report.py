#!/usr/bin/python3
"""Turns the measurements bench.sh leaves in OUT_DIR into the Markdown report.

  report.py OUT_DIR > bench/results/latest.md

Reads SET.roundN.json (hyperfine), rss.tsv, checks.tsv and env.txt.
"""
import glob
import json
import os
import statistics
import sys

SETS = ["a", "b", "c", "d", "e", "j", "info"]
SET_LABEL = {
    "a": "a: 100 × 200×200",
    "b": "b: 20 × 1920×1080",
    "c": "c: 20 × 50-frame 640×480",
    "d": "d: 11 edge cases",
    "e": "e: 100,000 × 40×30 from a list",
    "j": "j: c joined, all 1,000 frames",
    "info": "info over a",
}
MIB = 1024


def read_tsv(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip()]


def wall_times(out_dir):
    """{(set, tool): [seconds, ...]} over every round."""
    times = {}
    for path in sorted(glob.glob(os.path.join(out_dir, "*.round*.json"))):
        set_name = os.path.basename(path).split(".")[0]
        with open(path, encoding="utf-8") as f:
            for result in json.load(f)["results"]:
                times.setdefault((set_name, result["command"]), []).extend(result["times"])
    return times


def fmt_time(seconds):
    if seconds >= 1:
        return f"{seconds:.2f} s"
    if seconds >= 0.1:
        return f"{seconds * 1000:.0f} ms"
    return f"{seconds * 1000:.1f} ms"


def fmt_size(size):
    if size == "-":
        return "–"
    size = int(size)
    if size >= 1 << 20:
        return f"{size / (1 << 20):.1f} MiB"
    if size >= 1 << 10:
        return f"{size / (1 << 10):.0f} KiB"
    return f"{size} B"


def fmt_ratio(ratio):
    return f"{ratio:.2f}×" if ratio < 10 else f"{ratio:.0f}×"


def main():
    out_dir = sys.argv[1]
    times = wall_times(out_dir)
    median = {key: statistics.median(values) for key, values in times.items()}
    runs = {key: len(values) for key, values in times.items()}
    rss = {(s, t): int(kb) for s, t, kb in read_tsv(os.path.join(out_dir, "rss.tsv"))}
    checks = {(s, t): (size, check) for s, t, size, check in read_tsv(os.path.join(out_dir, "checks.tsv"))}
    env = {}
    for line in open(os.path.join(out_dir, "env.txt"), encoding="utf-8"):
        key, _, value = line.rstrip("\n").partition(" ")
        env.setdefault(key, []).append(value)

    print("# Benchmark results\n")
    print(f"Measured {env['date'][0]} by `./bench.sh` on {env['cpu'][0]} cores, Linux {env['kernel'][0]}.")
    print(f"Tools: {env['versions'][0]}.")
    loads = {}
    for when in ("load_before", "load_after"):
        for value in env.get(when, []):
            set_name, load = value.split()
            loads.setdefault(set_name, []).append(load)
    print("1-minute load average before → after each set: " +
          ", ".join(f"{s} {' → '.join(loads[s])}" for s in SETS if s in loads) + ".")
    print(f"Wall time: median over all runs of {env['rounds'][0]} hyperfine invocations per set (1 warm-up per "
          "command each, command order rotated between invocations, shell start-up subtracted; warm page "
          "cache). Peak RSS: `/usr/bin/time -v`, median of 3 runs. Frames: `gifsicle --info` on every output.\n")

    print("| corpus | tool | median wall | ratio to Zorvane | peak RSS | output size | frame count check |")
    print("|---|---|---:|---:|---:|---:|---|")
    order = []
    for key in median:
        if key not in order:
            order.append(key)
    for set_name in SETS:
        tools = [t for s, t in order if s == set_name]
        reference = "zorvane-cli info" if set_name == "info" else "zorvane-cli make"
        rank = {"zorvane-cli make": 0, "zorvane-cli info": 0, "gifsicle": 1, "gifsicle --info": 1,
                "ImageMagick convert": 2, "ImageMagick identify": 2, "cat floor": 3}
        for tool in sorted(tools, key=lambda t: rank.get(t, 9)):
            key = (set_name, tool)
            size, check = checks.get(key, ("-", "?"))
            print(f"| {SET_LABEL[set_name]} | {tool} | {fmt_time(median[key])} ({runs[key]} runs) | "
                  f"{fmt_ratio(median[key] / median[(set_name, reference)])} | {rss[key] / MIB:.1f} MiB | "
                  f"{fmt_size(size)} | {check} |")

    print("\n## Targets\n")
    rows = []
    done = {s for s, _ in median}
    for set_name in [s for s in ["a", "b", "c", "d"] if s in done]:
        z = median[(set_name, "zorvane-cli make")]
        for tool, need in (("gifsicle", 20), ("ImageMagick convert", 10)):
            ratio = median[(set_name, tool)] / z
            rows.append((f"{set_name}: make ≥ {need}× faster than {tool}", f"{ratio:.1f}×", ratio >= need))
    if "j" in done:
        ratio = median[("j", "gifsicle")] / median[("j", "zorvane-cli make")]
        rows.append(("j: make --all-frames ≥ 20× faster than gifsicle", f"{ratio:.1f}×", ratio >= 20))
    for set_name, most in (("b", 1.5), ("e", 1.5), ("j", 1.1)):
        if set_name not in done:
            continue
        ratio = median[(set_name, "zorvane-cli make")] / median[(set_name, "cat floor")]
        rows.append((f"{set_name}: make within {most}× of the cat floor", f"{ratio:.2f}×", ratio <= most))
    for set_name in [s for s in ["a", "b", "c", "d", "j"] if s in done]:
        kb = rss[(set_name, "zorvane-cli make")]
        rows.append((f"{set_name}: make peak RSS ≤ 2 MiB", f"{kb / MIB:.2f} MiB ({kb} KiB)", kb <= 2 * MIB))
    a_kb = rss.get(("a", "zorvane-cli make"))
    # The dynamic loader alone makes the figure wander by about 100 KiB from
    # run to run, whatever the input.
    for set_name, what in (("c", "c (356 MB in)"), ("j", "j (1,000 images of 356 MB)")):
        if a_kb is not None and set_name in done:
            kb = rss[(set_name, "zorvane-cli make")]
            rows.append((f"make peak RSS the same on a (3 MB in) and {what}, ±128 KiB", f"{a_kb} vs {kb} KiB",
                         abs(a_kb - kb) <= 128))
    # Corpus e: memory may grow with the list of paths (their text and a
    # plan entry each), never with the images.
    if a_kb is not None and "e" in done:
        list_bytes, list_lines = (int(v) for v in env["list_e"][0].split())
        paths_kb = (list_bytes + 48 * list_lines) / 1024
        growth_kb = rss[("e", "zorvane-cli make")] - a_kb
        rows.append((f"e: make peak RSS above a's ≤ 2 × the paths' storage ({paths_kb:.0f} KiB)",
                     f"{growth_kb} KiB ({growth_kb / paths_kb:.2f}×)", growth_kb <= 2 * paths_kb))
    bad = [f"{s}/{t}" for (s, t), (_, check) in checks.items() if "✗" in check]
    rows.append(("every output checked (one frame per input; info lists every file)",
                 "all ✓" if not bad else "failed: " + ", ".join(bad), not bad))
    print("| target | measured | met |")
    print("|---|---|---|")
    for name, value, met in rows:
        print(f"| {name} | {value} | {'yes' if met else '**no**'} |")

    print("""
## How it is measured

- Corpora (`bench/make_corpus.sh`, deterministic; `build/bench/SHA256SUMS`): a) 100 noisy 200×200 frames,
  256-colour global tables; b) 20 noisy 1920×1080 frames, ~2.8 MB of image data each, every 4th interlaced;
  c) 20 animations of 50 noisy 640×480 frames (one Pillow animation, rotated by 2k frames with gifsicle so
  each file starts differently; only the first image is used); d) local table, transparency, comment and
  application block, offset, 1×1, 8000×6000 screen, 2400×1600 image, GIF87a, 2 colours, gifsicle -O3 and
  ImageMagick-optimised animations; e) a time-lapse of 100,000 noisy 40×30 frames (~2.2 KB each, 1,000
  distinct images each written to 100 files), too many for a command line, named in `e.list`.
- Commands: `zorvane-cli make -o OUT -d 10 f1 f2 …`; `gifsicle --no-warnings -l -d10 f1 '#0' f2 '#0' … -o OUT`;
  `/usr/bin/convert -delay 10 -loop 0 'f1[0]' 'f2[0]' … OUT`; floor: `cat floor-X/*.bin > OUT`, where
  `bench/first_image.py` (its own GIF walker) cut out of each input the colour table its first image uses,
  its image descriptor and its image data: exactly the bytes a frame copy carries. GNU cat 9.1 copies
  them with `copy_file_range`, inside the kernel. Corpus e: `zorvane-cli make -o OUT -d 10 --frames-from
  e.list` against `xargs -d '\\n' cat <floor-e.list >OUT` (xargs starts cat a few times, as the pieces do
  not fit on one command line); gifsicle and ImageMagick are left out (no frame list; they would hold
  every image in memory).
- Output checks: `gifsicle --info` counts one image per input in every GIF written; Zorvane's output must
  also be at most the floor plus 33 bytes (header, screen, loop block, trailer) plus an 8-byte graphic
  control block per frame: exactly that unless frames share a colour table, which is then written once.""")


if __name__ == "__main__":
    main()
