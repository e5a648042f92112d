#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Speed, memory and size of the ZEM codec at every level, beside flac -8 and
wavpack -hh on the same audio.

    bench/bench.py [--zemtool PATH] [--files N] [--repeat R] [--work DIR]
                   [--readme README.md] [--windows-zemtool EXE]

The audio is CD-quality music rendered from the MIDI files of Debian's
openttd-openmsx with timidity and the freepats set (packages timidity,
freepats, openttd-openmsx, flac, wavpack; tools/setup.sh installs them). The
first N files by name are rendered once into the work folder and joined into
one wave file; a second table does the same with a 24-bit rendering of the
same files.

For every level it times encoding on one thread, on all threads and on all
threads with --verify, checks that decoding gives the input back byte for
byte, and times decoding on one thread and on all threads, as written and
with the stored MD5 zeroed (where decoding checks none). One row
times the older-version path: a version 3800 stream at level 4000 of the same
length, written by the test encoder (zem_write_old_stream; its audio is not
music, so only its decoding speed is shown). Another row codes the music at
level 1000 in frames of one block each: the smallest frames a stream can
have, where any fixed cost per frame shows. Where wine and the Windows build
(build/windows/bin/zemtool.exe, or --windows-zemtool) exist, each level's row
also times that build decoding on one thread under Wine, with Wine's start-up
(zemtool.exe --help, best of R) taken off, beside its ratio to native. Speeds are
multiples of real time (seconds of audio per second of wall time, the best of R
runs); peak memory is the largest resident size of any run of that row. With
--readme the table replaces the one between the bench markers of that file.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import wave

MIDI_FOLDER = "/usr/share/games/openttd/baseset/openmsx"
FREEPATS = "/etc/timidity/freepats.cfg"
LEVELS = (1000, 2000, 3000, 4000, 5000)
START_MARK = "<!-- bench:start -->"
END_MARK = "<!-- bench:end -->"


def fail(message):
    sys.exit("bench: " + message)


def need(program):
    path = shutil.which(program)
    if not path:
        fail(f"{program} is missing (tools/setup.sh installs it)")
    return path


def render_music(work, count, width=2):
    """The first `count` MIDI files as one 44.1 kHz stereo wave file of `width`-byte samples."""
    bits = 8 * width
    tag = "" if width == 2 else f"-{bits}bit"
    joined = os.path.join(work, f"music-{count}{tag}.wav")
    if os.path.exists(joined):
        return joined
    timidity = need("timidity")
    names = sorted(n for n in os.listdir(MIDI_FOLDER) if n.endswith(".mid"))[:count]
    if len(names) < count:
        fail(f"only {len(names)} MIDI files in {MIDI_FOLDER}")
    frames = []
    for name in names:
        part = os.path.join(work, name + tag + ".wav")
        if not os.path.exists(part):
            print(f"rendering {name} ({bits}-bit)", file=sys.stderr)
            subprocess.run([timidity, "-c", FREEPATS, "-Ow" + ("" if width == 2 else "2"), "-s", "44100",
                            "-o", part, os.path.join(MIDI_FOLDER, name)], check=True, stdout=subprocess.DEVNULL)
        with wave.open(part) as w:
            if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (2, width, 44100):
                fail(f"{part} is not 44.1 kHz {bits}-bit stereo")
            frames.append(w.readframes(w.getnframes()))
    with wave.open(joined + ".part", "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(width)
        out.setframerate(44100)
        for chunk in frames:
            out.writeframes(chunk)
    os.replace(joined + ".part", joined)
    return joined


def timed(command, stdout=subprocess.DEVNULL):
    """(wall seconds, peak resident KiB) of one run, measured by GNU time."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        subprocess.run(["/usr/bin/time", "-q", "-f", "%e %M", "-o", report.name] + command,
                       check=True, stdout=stdout, stderr=subprocess.DEVNULL)
        seconds, kib = report.read().split()
    return max(float(seconds), 0.01), int(kib)


def best_of(repeat, command):
    runs = [timed(command) for _ in range(repeat)]
    return min(r[0] for r in runs), max(r[1] for r in runs)


def measure_zem(zemtool, music, work, level, repeat, audio_seconds, frame_blocks=None):
    """One row: `level` with the encoder's frame size, or with `frame_blocks` blocks a frame."""
    suffix = f"-{frame_blocks}-block" if frame_blocks else ""
    stream = os.path.join(work, os.path.basename(music)[:-4] + f"-{level}{suffix}.zem")
    framing = ["--frame-blocks", str(frame_blocks)] if frame_blocks else []
    encode = [zemtool, "encode", "-q", "--level", str(level)] + framing
    one_enc_s, one_enc_kib = best_of(repeat, encode + ["--threads", "1", music, stream])
    verify_s, verify_kib = best_of(repeat, encode + ["--verify", music, stream])
    encode_s, encode_kib = best_of(repeat, encode + [music, stream])
    check = os.path.join(work, "check.wav")
    subprocess.run([zemtool, "decode", "-q", stream, check], check=True)
    with open(check, "rb") as a, open(music, "rb") as b:
        if a.read() != b.read():
            fail(f"level {level}: decoding does not give the input back")
    os.remove(check)
    # The files just written go to disk now, not while decoding is timed:
    # the kernel's writeback would take a core from the all-threads runs.
    os.sync()
    one_s, one_kib = best_of(repeat, [zemtool, "decode", "-q", "--threads", "1", stream, "-"])
    all_s, all_kib = best_of(repeat, [zemtool, "decode", "-q", stream, "-"])
    # The same stream with its stored MD5 zeroed: decoding checks nothing, so
    # the difference is what the check costs.
    unchecked = without_md5(stream)
    one_plain_s = best_of(repeat, [zemtool, "decode", "-q", "--threads", "1", unchecked, "-"])[0]
    all_plain_s = best_of(repeat, [zemtool, "decode", "-q", unchecked, "-"])[0]
    os.remove(unchecked)
    blocks = "one block" if frame_blocks == 1 else f"{frame_blocks} blocks"
    return {
        "name": f"ZEM {level}, frames of {blocks}" if frame_blocks else f"ZEM {level}",
        "bytes": os.path.getsize(stream),
        "encode": audio_seconds / one_enc_s,
        "encode_all": audio_seconds / encode_s,
        "verify_all": audio_seconds / verify_s,
        "decode": audio_seconds / one_s,
        "decode_all": audio_seconds / all_s,
        "decode_unchecked": audio_seconds / one_plain_s,
        "decode_all_unchecked": audio_seconds / all_plain_s,
        "peak_kib": max(one_enc_kib, verify_kib, encode_kib, one_kib, all_kib),
    }


# Where the encoder stores the MD5 of the wave file: after the magic, the
# version, the padding and seven 32-bit sizes of the descriptor.
MD5_OFFSET = 36


def without_md5(stream):
    """A copy of a stream the encoder just wrote, with its stored MD5 all zero."""
    copy = stream[:-4] + "-no-md5.zem"
    with open(stream, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"QRB ":
        fail(f"{stream} does not start with a stream descriptor")
    data[MD5_OFFSET:MD5_OFFSET + 16] = bytes(16)
    with open(copy, "wb") as f:
        f.write(data)
    return copy


def md5_columns():
    """Encoding's gain from more threads; decoding speeds without the MD5 check,
    and the share of decode time the check costs."""
    def cell(key):
        return lambda r: f"{r[key]:.0f}x" if r.get(key) else "-"

    def cost(checked, unchecked):
        return lambda r: f"{100 * (1 - r[checked] / r[unchecked]):.1f}%" if r.get(unchecked) else "-"
    def gain(r):
        return f"{r['encode_all'] / r['encode']:.2f}" if r.get("encode_all") and r.get("encode") else "-"
    return [("encode, all threads vs 1 thread", gain),
            ("decode, 1 thread, MD5 zeroed", cell("decode_unchecked")),
            ("decode, all threads, MD5 zeroed", cell("decode_all_unchecked")),
            ("MD5 check's cost, 1 thread", cost("decode", "decode_unchecked")),
            ("MD5 check's cost, all threads", cost("decode_all", "decode_all_unchecked"))]


def measure_older(zemtool, writer, work, repeat, audio_seconds):
    stream = os.path.join(work, "older-3800-4000.zem")
    subprocess.run([writer, "3800", "4000", str(audio_seconds), stream], check=True, stdout=subprocess.DEVNULL)
    os.sync()
    one_s, one_kib = best_of(repeat, [zemtool, "decode", "-q", "--threads", "1", stream, "-"])
    all_s, all_kib = best_of(repeat, [zemtool, "decode", "-q", stream, "-"])
    return {
        "name": "ZEM 4000, version 3800",
        "bytes": None,
        "encode": None,
        "decode": audio_seconds / one_s,
        "decode_all": audio_seconds / all_s,
        "peak_kib": max(one_kib, all_kib),
    }


def measure_reference(name, encode, decode, path, repeat, audio_seconds):
    encode_s, encode_kib = best_of(repeat, encode)
    decode_s, decode_kib = best_of(repeat, decode)
    return {
        "name": name,
        "bytes": os.path.getsize(path),
        "encode": audio_seconds / encode_s,
        "decode": audio_seconds / decode_s,
        "decode_all": None,
        "peak_kib": max(encode_kib, decode_kib),
    }


def speed(value):
    return f"{value:.0f}x" if value else "-"



def wine_start_seconds(wine_run, exe, repeat):
    """Wall seconds of starting and ending zemtool.exe under Wine, doing nothing."""
    return best_of(repeat, [wine_run, exe, "--help"])[0]


def measure_windows(wine_run, exe, music, rows, repeat, audio_seconds):
    """Adds to each level's row the one-thread decoding speed of the Windows
    build under Wine (its start-up time taken off) and its ratio to native."""
    os.environ["WINEDEBUG"] = "-all"
    start = wine_start_seconds(wine_run, exe, repeat)
    for level, row in zip(LEVELS, rows):
        stream = music[:-4] + f"-{level}.zem"
        seconds = best_of(repeat, [wine_run, exe, "decode", "-q", "--threads", "1", stream, "-"])[0]
        row["windows"] = audio_seconds / max(seconds - start, 0.01)
    return start


def windows_columns():
    """Extra table columns for the Windows build's speeds."""
    def speed(r):
        return f"{r['windows']:.0f}x" if r.get("windows") else "-"

    def ratio(r):
        return f"{r['windows'] / r['decode']:.2f}" if r.get("windows") else "-"
    return [("decode, 1 thread, Windows build under Wine", speed), ("Wine vs native", ratio)]


def table(rows, wav_bytes, audio_seconds, bits, extra=()):
    flac = next(r for r in rows if r["name"] == "flac -8")
    wavpack = next(r for r in rows if r["name"] == "wavpack -hh")
    lines = [
        f"{audio_seconds / 60:.1f} minutes of 44.1 kHz {bits}-bit stereo music ({wav_bytes / 2**20:.1f} MiB as WAV); "
        f"speeds as multiples of real time (wall clock), {os.cpu_count()} cores, "
        f"load average {os.getloadavg()[0]:.1f} when the table was made. Encode vs flac -8 and vs wavpack -hh "
        "compare the encode on all threads with theirs.",
        "",
        "| codec | size, % of WAV | size vs flac -8 | size vs wavpack -hh | encode, 1 thread | encode, all threads "
        "| encode --verify, all threads | encode vs flac -8 | encode vs wavpack -hh | decode, 1 thread "
        "| decode, all threads | decode vs flac -8 | decode vs wavpack -hh | peak memory |"
        + "".join(f" {title} |" for title, _ in extra),
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|" + "---:|" * len(extra),
    ]
    for r in rows:
        all_threads = speed(r["decode_all"])
        fastest = r.get("encode_all") or r["encode"]
        encode = (f"{speed(r['encode'])} | {speed(r.get('encode_all'))} | {speed(r.get('verify_all'))} | "
                  + (f"{fastest / flac['encode']:.2f} | {fastest / wavpack['encode']:.2f}" if fastest else "- | -"))
        if r["bytes"] is None:
            sizes = "- | - | -"
        else:
            sizes = (f"{100 * r['bytes'] / wav_bytes:.2f} | {r['bytes'] / flac['bytes']:.3f} "
                     f"| {r['bytes'] / wavpack['bytes']:.3f}")
        lines.append(
            f"| {r['name']} | {sizes} | {encode} | {r['decode']:.0f}x | {all_threads} "
            f"| {r['decode'] / flac['decode']:.2f} | {r['decode'] / wavpack['decode']:.2f} "
            f"| {r['peak_kib'] / 1024:.1f} MiB |" + "".join(f" {cell(r)} |" for _, cell in extra))
    return "\n".join(lines)


def update_readme(path, text):
    with open(path, encoding="utf-8") as f:
        content = f.read()
    start, end = content.find(START_MARK), content.find(END_MARK)
    if start < 0 or end < start:
        fail(f"{path} has no {START_MARK} ... {END_MARK} section")
    content = content[:start + len(START_MARK)] + "\n" + text + "\n" + content[end:]
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zemtool", default=os.path.join(root, "build", "native", "bin", "zemtool"))
    parser.add_argument("--old-stream-writer",
                        default=os.path.join(root, "build", "native", "bin", "zem_write_old_stream"))
    parser.add_argument("--files", type=int, default=3, help="MIDI files to render (default 3)")
    parser.add_argument("--repeat", type=int, default=3, help="runs per measurement, the best counts")
    parser.add_argument("--work", default=os.path.join(root, "build", "bench"))
    parser.add_argument("--readme", help="README file whose bench section gets the table")
    parser.add_argument("--windows-zemtool", default=os.path.join(root, "build", "windows", "bin", "zemtool.exe"),
                        help="the Windows build, timed under Wine where both exist")
    args = parser.parse_args()
    if not os.access(args.zemtool, os.X_OK):
        fail(f"no zemtool at {args.zemtool} (build the native preset first)")
    flac, wavpack, wvunpack = need("flac"), need("wavpack"), need("wvunpack")
    os.makedirs(args.work, exist_ok=True)

    tables = []
    for width in (2, 3):
        music = render_music(args.work, args.files, width)
        with wave.open(music) as w:
            audio_seconds = w.getnframes() / w.getframerate()
        wav_bytes = os.path.getsize(music)
        rows = []
        for level in LEVELS:
            print(f"measuring level {level}, {8 * width}-bit", file=sys.stderr)
            rows.append(measure_zem(args.zemtool, music, args.work, level, args.repeat, audio_seconds))
        if width == 2:
            print("measuring one-block frames", file=sys.stderr)
            rows.append(measure_zem(args.zemtool, music, args.work, 1000, args.repeat, audio_seconds,
                                    frame_blocks=1))
            if os.access(args.old_stream_writer, os.X_OK):
                print("measuring the older-version path", file=sys.stderr)
                rows.append(measure_older(args.zemtool, args.old_stream_writer, args.work, args.repeat,
                                          audio_seconds))
        base = music[:-4]
        flac_file, wv_file = base + ".flac", base + ".wv"
        print(f"measuring flac and wavpack, {8 * width}-bit", file=sys.stderr)
        rows.append(measure_reference("flac -8", [flac, "-8", "-s", "-f", "-o", flac_file, music],
                                      [flac, "-d", "-s", "-c", flac_file], flac_file, args.repeat, audio_seconds))
        rows.append(measure_reference("wavpack -hh", [wavpack, "-hh", "-q", "-y", music, "-o", wv_file],
                                      [wvunpack, "-q", "-y", wv_file, "-o", "-"], wv_file, args.repeat,
                                      audio_seconds))
        extra = md5_columns()
        wine_run = os.path.join(root, "tools", "wine-run.sh")
        if width == 2 and shutil.which("wine") and os.path.exists(args.windows_zemtool):
            print("measuring the Windows build under Wine", file=sys.stderr)
            start = measure_windows(wine_run, args.windows_zemtool, music, rows, args.repeat, audio_seconds)
            print(f"Wine start-up: {start:.2f} s, taken off each Windows time", file=sys.stderr)
            extra += windows_columns()
        tables.append(table(rows, wav_bytes, audio_seconds, 8 * width, extra))

    text = "\n\n".join(tables)
    print(text)
    if args.readme:
        update_readme(args.readme, text)


if __name__ == "__main__":
    main()
