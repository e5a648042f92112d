#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Speed of `zemtool convert` from an image's tracks to FLAC, beside flac -8
alone on the same decoded audio.

    bench/convert_bench.py [--zemtool PATH] [--files N] [--repeat R] [--work DIR]

The music is bench.py's (the first N MIDI files rendered with timidity; the
same packages). It is encoded once at level 2000 into an image with a cue
sheet of N tracks, one a rendered file. Timed, best of R: `zemtool convert
SHEET --to flac` (decoding the image's tracks and encoding them at FLAC level
8, files side by side on all cores), and `flac -8` of the tracks' wave files
(zemtool's decoding of the links), one process a core as convert has them.
Both write the same FLAC level, so the difference is what reading the image
through the links costs against reading wave files.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402  (the music and the tools' checks)


def track_lengths(work, count):
    lengths = []
    for name in sorted(n for n in os.listdir(bench.MIDI_FOLDER) if n.endswith(".mid"))[:count]:
        with wave.open(os.path.join(work, name + ".wav")) as w:
            lengths.append(w.getnframes())
    return lengths


def cue_time(blocks):
    frames = blocks // 588
    return f"{frames // 4500:02d}:{frames // 75 % 60:02d}:{frames % 75:02d}"


def best_of(repeat, run, prepare=lambda: None):
    best = None
    for _ in range(repeat):
        prepare()
        started = time.monotonic()
        run()
        elapsed = time.monotonic() - started
        best = elapsed if best is None else min(best, elapsed)
    return best


def run_parallel(commands, jobs):
    running = []
    for command in commands:
        if len(running) == jobs:
            if running.pop(0).wait() != 0:
                bench.fail("a reference run failed")
        running.append(subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    for process in running:
        if process.wait() != 0:
            bench.fail("a reference run failed")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zemtool", default=os.path.join(root, "build", "native", "bin", "zemtool"))
    parser.add_argument("--files", type=int, default=3, help="MIDI files to render, one track each (default 3)")
    parser.add_argument("--repeat", type=int, default=3, help="runs per measurement, the best counts")
    parser.add_argument("--work", default=os.path.join(root, "build", "bench"))
    args = parser.parse_args()
    flac = bench.need("flac")
    os.makedirs(args.work, exist_ok=True)
    music = bench.render_music(args.work, args.files)
    with wave.open(music) as w:
        audio_seconds = w.getnframes() / w.getframerate()

    folder = tempfile.mkdtemp(prefix="convert-", dir=args.work)
    image = os.path.join(folder, "image.zem")
    subprocess.run([args.zemtool, "encode", "-q", "--level", "2000", music, image], check=True)
    lines = ['PERFORMER "Bench"', 'TITLE "Bench"', 'FILE "image.zem" WAVE']
    start = 0
    for number, blocks in enumerate(track_lengths(args.work, args.files), 1):
        lines += [f"  TRACK {number:02d} AUDIO", f'    TITLE "Track {number}"', f"    INDEX 01 {cue_time(start)}"]
        start += blocks
    sheet = os.path.join(folder, "image.cue")
    with open(sheet, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")
    subprocess.run([args.zemtool, "links", sheet], check=True, stdout=subprocess.DEVNULL)
    links = sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".zlk"))
    waves = []
    for link in links:
        waves.append(link[:-4] + ".wav")
        subprocess.run([args.zemtool, "decode", "-q", link, waves[-1]], check=True)
    os.sync()

    out = os.path.join(folder, "flac")
    convert = best_of(args.repeat,
                      lambda: subprocess.run([args.zemtool, "convert", sheet, "--to", "flac", "--output-dir", out],
                                             check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
                      prepare=lambda: shutil.rmtree(out, ignore_errors=True))
    jobs = os.cpu_count() or 1
    reference = best_of(args.repeat, lambda: run_parallel(
        [[flac, "-8", "-s", "-f", "-o", w[:-4] + ".ref.flac", w] for w in waves], jobs))
    print(f"{audio_seconds / 60:.1f} minutes of music in {len(links)} tracks, {jobs} cores")
    print("| run | seconds | speed |")
    print("|---|---:|---:|")
    print(f"| zemtool convert of the image's tracks to FLAC | {convert:.2f} | {audio_seconds / convert:.0f}x |")
    print(f"| flac -8 of the same tracks' wave files, {jobs} at a time | {reference:.2f} "
          f"| {audio_seconds / reference:.0f}x |")
    print(f"convert takes {convert / reference:.2f} times flac's time")


if __name__ == "__main__":
    main()
