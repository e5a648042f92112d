#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""zemfs through a real mount: a folder with a stream, a link, a cue sheet
with its image, an image carrying its own sheet, a picture and a damaged
stream, read with cmp, dd, Python's wave module and sox, and compared with
what `zemtool decode` writes.

    mount_test.py --bin BUILD/bin --work DIR [--sanitized]

Skips (exit 77) where /dev/fuse is missing, and fails there under CI=true.
"""
import argparse
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import threading
import time

SKIP = 77
FRAME_BLOCKS = 4096
ALIGN = 4  # 16-bit stereo

CUE = """PERFORMER "Corvane"\r
TITLE "Tallowmere"\r
FILE "album.zem" WAVE\r
  TRACK 01 AUDIO\r
    TITLE "Wrenfall"\r
    INDEX 01 00:00:30\r
  TRACK 02 AUDIO\r
    TITLE "Salt/glass"\r
    INDEX 00 00:01:10\r
    INDEX 01 00:01:20\r
  TRACK 03 AUDIO\r
    TITLE "Lanternfield"\r
    PERFORMER "Ilse Marrow"\r
    INDEX 01 00:02:37\r
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what, file=sys.stderr)


def wave_bytes(seconds, seed, extra_chunk=b"", trailer=b""):
    """16-bit stereo at 44100 Hz, tones and noise; optional chunk before the data and bytes after it."""
    rng = random.Random(seed)
    blocks = int(44100 * seconds)
    pcm = bytearray()
    for i in range(blocks):
        v = int(9000 * math.sin(i * 0.02 * seed) + rng.randint(-300, 300))
        pcm += struct.pack("<hh", v, -v // 2)
    fmt = struct.pack("<HHIIHH", 1, 2, 44100, 44100 * ALIGN, ALIGN, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + extra_chunk
    body += b"data" + struct.pack("<I", len(pcm)) + bytes(pcm) + trailer
    return b"RIFF" + struct.pack("<I", len(body)) + body


def run(args, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


class Fixture:
    def __init__(self, bin_dir, work):
        self.zemtool = os.path.join(bin_dir, "zemtool")
        self.zemfs = os.path.join(bin_dir, "zemfs")
        shutil.rmtree(work, ignore_errors=True)
        self.src, self.mnt, self.ref = (os.path.join(work, d) for d in ("src", "mnt", "ref"))
        for d in (self.src, self.mnt, self.ref):
            os.makedirs(d)
        self.decodes = {}

    def tool(self, *args):
        return run([self.zemtool] + list(args))

    def encode(self, wav, name):
        path = os.path.join(self.ref, name + ".wav")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(wav)
        result = self.tool("encode", "-q", "--frame-blocks", str(FRAME_BLOCKS), path, os.path.join(self.src, name))
        assert result.returncode == 0, result.stderr

    def decoded(self, source):
        """What `zemtool decode` writes for `source` (decoded once)."""
        if source not in self.decodes:
            out = os.path.join(self.ref, os.path.basename(source) + ".decoded.wav")
            self.tool("decode", "-q", source, out)
            with open(out, "rb") as f:
                self.decodes[source] = f.read()
        return self.decodes[source]

    def build(self):
        listing = b"LIST" + struct.pack("<I", 10) + b"INFOISFT\x00\x00"
        self.encode(wave_bytes(1.5, 1, listing, b"tail!"), "tone.zem")
        self.encode(wave_bytes(4.0, 2), "album.zem")
        with open(os.path.join(self.src, "album.cue"), "w", newline="") as f:
            f.write(CUE)
        with open(os.path.join(self.src, "tone.zlk"), "wb") as f:
            f.write(b"[Quillon Image Link File]\r\nImage File=tone.zem\r\nStart Block=1000\r\nFinish Block=20000\r\n")
        shutil.copy(os.path.join(self.src, "album.zem"), os.path.join(self.src, "carrier.zem"))
        sheet = os.path.join(self.ref, "album.cue")
        with open(sheet, "w", newline="") as f:
            f.write(CUE)
        assert self.tool("tag", os.path.join(self.src, "carrier.zem"), "--set-cuesheet", sheet).returncode == 0
        with open(os.path.join(self.src, "cover.jpg"), "wb") as f:
            f.write(bytes(random.Random(3).randrange(256) for _ in range(3000)))
        # A byte in the middle of the stream: one frame fails its check.
        damaged = os.path.join(self.src, "damaged.zem")
        shutil.copy(os.path.join(self.src, "tone.zem"), damaged)
        with open(damaged, "r+b") as f:
            f.seek(os.path.getsize(damaged) // 2)
            byte = f.read(1)
            f.seek(-1, 1)
            f.write(bytes([byte[0] ^ 0x5A]))
        self.build_faults()
        # The tracks as the link files Tessarine writes, decoded.
        links = os.path.join(self.ref, "links")
        os.makedirs(links)
        for name in ("album.zem", "album.cue"):
            shutil.copy(os.path.join(self.src, name), links)
        written = self.tool("links", os.path.join(links, "album.cue")).stdout.decode().split("\n")
        self.tracks = [os.path.basename(p)[:-4] + ".wav" for p in written if p]
        self.track_bytes = {t: self.decoded(os.path.join(links, t[:-4] + ".zlk")) for t in self.tracks}


    def build_faults(self):
        """Folders for what once went wrong: a large trailer behind many links,
        private images, images outside SOURCE or on other hosts, dot stems."""
        big = os.path.join(self.src, "big")
        os.makedirs(big)
        self.big_trailer = random.Random(5).randbytes(BIG_TRAILER)
        self.encode(wave_bytes(0.5, 4, b"", self.big_trailer), "big/big.zem")
        for i in range(BIG_LINKS):
            with open(os.path.join(big, "link%02d.zlk" % i), "wb") as f:
                f.write(b"[Quillon Image Link File]\r\nImage File=big.zem\r\nStart Block=0\r\nFinish Block=-1\r\n")
        access = os.path.join(self.src, "access")
        os.makedirs(access)
        shutil.copy(os.path.join(self.src, "tone.zem"), os.path.join(access, "private.zem"))
        os.chmod(os.path.join(access, "private.zem"), 0o600)
        links = {"public.zlk": "private.zem", "outside.zlk": "../../ref/outside.zem",
                 "absolute.zlk": os.path.join(self.ref, "outside.zem"), "unc.zlk": "\\\\host\\share\\x.zem",
                 "device.zlk": "\\\\.\\C:\\x.zem", "slashes.zlk": "//host/share/x.zem"}
        for name, image in links.items():
            with open(os.path.join(access, name), "wb") as f:
                f.write(b"[Quillon Image Link File]\r\nImage File=" + image.encode() +
                        b"\r\nStart Block=0\r\nFinish Block=-1\r\n")
            os.chmod(os.path.join(access, name), 0o644)
        shutil.copy(os.path.join(self.src, "tone.zem"), os.path.join(self.ref, "outside.zem"))
        with open(os.path.join(access, "sheet.cue"), "w", newline="") as f:
            f.write(CUE.replace("album.zem", "private.zem"))
        os.chmod(os.path.join(access, "sheet.cue"), 0o644)
        long_title = "\u00e9" * 120  # 240 bytes: the track's name passes 255 bytes, not 255 characters
        with open(os.path.join(access, "long.cue"), "w", newline="") as f:
            f.write(CUE.replace("album.zem", "private.zem").replace("Lanternfield", long_title))
        dots = os.path.join(self.src, "dots")
        os.makedirs(dots)
        shutil.copy(os.path.join(self.src, "album.zem"), dots)
        for name in (".cue", "..cue", "...cue"):
            with open(os.path.join(dots, name), "w", newline="") as f:
                f.write(CUE)


BIG_TRAILER = 16 << 20
BIG_LINKS = 30


def mount(fx, *options):
    log = open(os.path.join(os.path.dirname(fx.mnt), "zemfs.log"), "a")
    proc = subprocess.Popen([fx.zemfs, fx.src, fx.mnt, "-f"] + list(options), stderr=log)
    for _ in range(100):
        if os.path.ismount(fx.mnt) or proc.poll() is not None:
            break
        time.sleep(0.05)
    return proc


def unmount(fx, proc):
    if os.path.ismount(fx.mnt):
        subprocess.run(["fusermount3", "-u", fx.mnt])
    try:
        return proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return None


def read_range(path, offset, length):
    """dd with byte offsets and counts; None when the read fails."""
    result = run(["dd", "if=" + path, "bs=4099", "skip=%d" % offset, "count=%d" % length,
                  "iflag=skip_bytes,count_bytes", "status=none"])
    return result.stdout if result.returncode == 0 else None


def check_files(fx):
    m = lambda *p: os.path.join(fx.mnt, *p)
    shown = sorted(os.listdir(fx.mnt))
    check(shown == ["access", "album", "album.wav", "big", "carrier", "carrier.wav", "cover.jpg", "damaged.wav",
                    "dots", "tone.zem.wav", "tone.zlk.wav"], "top folder lists %s" % shown)
    check(sorted(os.listdir(m("album"))) == sorted(fx.tracks), "cue folder lists %s" % os.listdir(m("album")))
    check(sorted(os.listdir(m("carrier"))) == sorted(fx.tracks), "carrier folder lists the same tracks")
    # Every WAV equals what zemtool decode writes; sizes and times come without reading.
    wavs = {"tone.zem.wav": "tone.zem", "tone.zlk.wav": "tone.zlk", "album.wav": "album.zem",
            "carrier.wav": "carrier.zem"}
    for shown_name, source in wavs.items():
        expected = fx.decoded(os.path.join(fx.src, source))
        check(os.stat(m(shown_name)).st_size == len(expected), shown_name + ": stat size")
        check(int(os.stat(m(shown_name)).st_mtime) == int(os.stat(os.path.join(fx.src, source)).st_mtime),
              shown_name + ": time of the source")
        check(run(["cmp", m(shown_name), os.path.join(fx.ref, source + ".decoded.wav")]).returncode == 0,
              shown_name + ": cmp with zemtool decode")
    for folder in ("album", "carrier"):
        for track in fx.tracks:
            with open(m(folder, track), "rb") as f:
                check(f.read() == fx.track_bytes[track], "%s/%s equals the decoded link file" % (folder, track))
    with open(m("cover.jpg"), "rb") as f, open(os.path.join(fx.src, "cover.jpg"), "rb") as g:
        check(f.read() == g.read(), "cover.jpg as itself")
    # The tracks joined are the image's audio from the first INDEX 01 (00:00:30) to its end.
    album = fx.decoded(os.path.join(fx.src, "album.zem"))
    joined = b"".join(fx.track_bytes[t][44:] for t in fx.tracks)
    check(joined == album[44 + 17640 * ALIGN:], "tracks joined equal the image's audio")
    # Players' readers take the tracks.
    for track in fx.tracks:
        probe = run([sys.executable, "-c", "import sys, wave; w = wave.open(sys.argv[1]); print(w.getnframes())",
                     m("album", track)])
        check(probe.returncode == 0 and int(probe.stdout) == (len(fx.track_bytes[track]) - 44) // ALIGN,
              "python wave reads " + track)
        if shutil.which("sox"):
            check(run(["sox", "--i", m("album", track)]).returncode == 0, "sox --i reads " + track)


def check_ranges(fx):
    expected = fx.decoded(os.path.join(fx.src, "tone.zem"))
    header = expected.index(b"data") + 8
    frame = header + FRAME_BLOCKS * ALIGN
    ranges = [(0, 44), (43, 3), (header - 1, 2), (header, 1), (frame - 3, 7), (frame + 1, 2 * FRAME_BLOCKS * ALIGN),
              (12345, 1), (77777, 33333), (len(expected) - 9, 9), (len(expected) - 2, 100), (len(expected), 10)]
    rng = random.Random(7)
    ranges += [(rng.randrange(len(expected)), rng.randrange(1, 50000)) for _ in range(20)]
    path = os.path.join(fx.mnt, "tone.zem.wav")
    for offset, length in ranges:
        check(read_range(path, offset, length) == expected[offset:offset + length],
              "tone.zem.wav bytes %d+%d" % (offset, length))


def check_readers(fx):
    """Several readers at once, of one file and of several."""
    jobs = [("album.wav", "album.zem"), ("album.wav", "album.zem"), ("tone.zem.wav", "tone.zem"),
            ("carrier.wav", "carrier.zem")]
    results = [None] * len(jobs)

    def read(i, name):
        with open(os.path.join(fx.mnt, name), "rb") as f:
            data, step = bytearray(), 5000 + 777 * i
            while True:
                piece = f.read(step)
                if not piece:
                    break
                data += piece
            results[i] = bytes(data)

    threads = [threading.Thread(target=read, args=(i, name)) for i, (name, _) in enumerate(jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for i, (name, source) in enumerate(jobs):
        check(results[i] == fx.decoded(os.path.join(fx.src, source)),
              "reader %d of %s" % (i, name))


def check_damage(fx):
    decode = run([fx.zemtool, "decode", "-q", os.path.join(fx.src, "damaged.zem"), os.path.join(fx.ref, "damaged.wav")])
    bad = [int(line.split(" frame ")[1].split()[0]) for line in decode.stderr.decode().splitlines()
           if "failed its check" in line]
    check(len(bad) == 1, "one damaged frame, not %s" % bad)
    if len(bad) != 1:
        return
    with open(os.path.join(fx.ref, "damaged.wav"), "rb") as f:
        expected = f.read()
    header = expected.index(b"data") + 8
    first, end = header + bad[0] * FRAME_BLOCKS * ALIGN, header + (bad[0] + 1) * FRAME_BLOCKS * ALIGN
    path = os.path.join(fx.mnt, "damaged.wav")
    check(read_range(path, first + 5, 10) is None, "the damaged frame's range gives EIO")
    check(read_range(path, first - 100, 200) is None, "a range reaching into it gives EIO")
    check(read_range(path, 0, first) == expected[:first], "the range before it reads")
    check(read_range(path, end, len(expected)) == expected[end:], "the range after it reads")


def check_changes(fx, proc, sanitized):
    if not sanitized:
        with open("/proc/%d/status" % proc.pid) as f:
            rss = [int(line.split()[1]) for line in f if line.startswith("VmHWM:")][0]
        check(rss < 64 * 1024, "zemfs peaked at %d KiB" % rss)
    check(run(["sh", "-c", "echo x > '%s'" % os.path.join(fx.mnt, "new.txt")]).returncode != 0, "writes are refused")
    path, source = os.path.join(fx.mnt, "tone.zlk.wav"), os.path.join(fx.src, "tone.zem")
    expected = fx.decoded(os.path.join(fx.src, "tone.zlk"))
    with open(path, "rb") as f:
        f.read(100)
        # A touch and a tag edit leave every byte a reader gets as it was.
        stat = os.stat(source)
        os.utime(source, ns=(stat.st_atime_ns, stat.st_mtime_ns + 1000000000))
        check(os.pread(f.fileno(), 100, 50000) == expected[50000:50100], "a touched image reads on")
        check(fx.tool("tag", source, "--set", "Title=Retitled").returncode == 0, "zemtool tag edits the image")
        check(os.pread(f.fileno(), 100, 60000) == expected[60000:60100], "an image with an edited tag reads on")
        # Other audio in its place fails the reader.
        shutil.copy(os.path.join(fx.src, "album.zem"), source + ".new")
        os.rename(source + ".new", source)
        try:
            os.pread(f.fileno(), 100, 70000)
            check(False, "an image with other audio gives EIO")
        except OSError as e:
            check(e.errno == 5, "an image with other audio gives EIO, not %s" % e)
        os.rename(source, source + ".gone")
        try:
            os.pread(f.fileno(), 100, 60000)
            check(False, "a vanished image gives ENOENT")
        except OSError as e:
            check(e.errno == 2, "a vanished image gives ENOENT, not %s" % e)
    # A changed sheet fails its tracks' readers, and the log names the sheet.
    sheet = os.path.join(fx.src, "album.cue")
    with open(os.path.join(fx.mnt, "album", fx.tracks[0]), "rb") as f:
        f.read(100)
        with open(sheet, "a", newline="") as g:
            g.write("REM changed\r\n")
        try:
            os.pread(f.fileno(), 100, 50000)
            check(False, "a changed sheet gives EIO")
        except OSError as e:
            check(e.errno == 5, "a changed sheet gives EIO, not %s" % e)
    with open(os.path.join(os.path.dirname(fx.mnt), "zemfs.log")) as f:
        check(sheet + " changed" in f.read(), "the log names the changed sheet")


def check_big_trailer(fx):
    """Many files made from one stream with a large trailer hold it at most once."""
    big = os.path.join(fx.mnt, "big")
    names = sorted(os.listdir(big))
    check(names == ["big.wav"] + ["link%02d.wav" % i for i in range(BIG_LINKS)], "big/ lists %s" % names[:3])
    expected = fx.decoded(os.path.join(fx.src, "big", "big.zem"))
    check(expected.endswith(fx.big_trailer), "zemtool decode ends with the trailer")
    for name in names:
        check(os.stat(os.path.join(big, name)).st_size == len(expected), name + ": stat size")
    files = [open(os.path.join(big, name), "rb") for name in names[:20]]
    try:
        for f in files:
            check(os.pread(f.fileno(), 4096, len(expected) - 5000) == expected[-5000:-904], "the trailer reads")
        files[3].seek(0)
        check(files[3].read() == expected, "a whole link reads as the stream")
    finally:
        for f in files:
            f.close()


def check_access(fx):
    """Permissions no wider than the image's; nothing outside SOURCE or on other hosts."""
    access = os.path.join(fx.mnt, "access")
    shown = sorted(os.listdir(access))
    check(shown == ["absolute.zlk", "device.zlk", "long", "outside.zlk", "private.wav", "public.wav", "sheet",
                    "slashes.zlk", "unc.zlk"], "access/ lists %s" % shown)
    modes = {name: os.stat(os.path.join(access, name)).st_mode & 0o777 for name in ("private.wav", "public.wav",
                                                                                     "sheet")}
    check(modes == {"private.wav": 0o400, "public.wav": 0o400, "sheet": 0o500}, "modes %s" % modes)
    check(os.stat(os.path.join(access, "sheet", fx.tracks[0])).st_mode & 0o777 == 0o400, "a track's mode")
    check(sorted(os.listdir(os.path.join(access, "long"))) == sorted(fx.tracks[:2]), "the long name is left out")
    with open(os.path.join(os.path.dirname(fx.mnt), "zemfs.log")) as f:
        log = f.read()
    for name in ("outside.zlk", "absolute.zlk"):
        check(os.path.join(fx.src, "access", name) + ": its image" in log and "lies outside SOURCE" in log,
              name + " is logged as outside SOURCE")
    for name in ("unc.zlk", "device.zlk", "slashes.zlk"):
        check(os.path.join(fx.src, "access", name) + ": its image" in log and "network or device path" in log,
              name + " is logged as a network path")
    check("long.cue: track 03: the name" in log and "is too long" in log, "the long track name is logged")


def check_dots(fx):
    shown = sorted(os.listdir(os.path.join(fx.mnt, "dots")))
    check(shown == ["...cue", "..cue", ".cue", "album.wav"], "dots/ lists %s" % shown)
    check(sorted(os.listdir(os.path.join(fx.mnt, "dots", ".cue"))) == sorted(fx.tracks), ".cue/ lists its tracks")


def check_options(fx):
    """-o rw still mounts read-only; the opt-in shows an image outside SOURCE."""
    proc = mount(fx, "-o", "rw", "--allow-outside-source")
    try:
        with open("/proc/mounts") as f:
            line = [l for l in f if l.split()[1] == fx.mnt]
        check(line and "ro" in line[0].split()[3].split(","), "the mount is read-only: %s" % line)
        shown = sorted(os.listdir(os.path.join(fx.mnt, "access")))
        check("outside.wav" in shown and "absolute.wav" in shown and "unc.zlk" in shown,
              "outside SOURCE allowed: %s" % shown)
    finally:
        unmount(fx, proc)


def check_refusals(fx):
    empty = os.path.join(fx.ref, "empty")
    os.makedirs(empty)
    cases = [([fx.ref + "/missing", empty], "SOURCE"), ([fx.src, fx.ref + "/missing"], "MOUNTPOINT"),
             ([fx.src, fx.ref], "is not empty"), ([fx.src], "no MOUNTPOINT")]
    for args, text in cases:
        result = run([fx.zemfs] + args)
        check(result.returncode == 2 and text in result.stderr.decode(), "zemfs %s refused: %s" % (args, text))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--sanitized", action="store_true")
    args = parser.parse_args()
    if not os.path.exists("/dev/fuse") or not shutil.which("fusermount3"):
        if os.environ.get("CI") == "true":
            print("FAIL: /dev/fuse or fusermount3 is missing, and CI must run this test", file=sys.stderr)
            return 1
        print("skipped: no /dev/fuse or fusermount3 here")
        return SKIP
    fx = Fixture(args.bin, args.work)
    fx.build()
    open(os.path.join(os.path.dirname(fx.mnt), "zemfs.log"), "w").close()
    check_refusals(fx)
    proc = mount(fx)
    try:
        check(os.path.ismount(fx.mnt), "zemfs mounts")
        if os.path.ismount(fx.mnt):
            for step in (check_files, check_ranges, check_readers, check_damage, check_big_trailer, check_access,
                         check_dots):
                step(fx)
            check_changes(fx, proc, args.sanitized)
    finally:
        status = unmount(fx, proc)
    check_options(fx)
    check(status == 0, "zemfs ends with status 0 after unmounting, not %s" % status)
    check(not os.path.ismount(fx.mnt), "nothing stays mounted")
    with open(os.path.join(os.path.dirname(fx.mnt), "zemfs.log")) as f:
        log = f.read()
    check("cannot be decoded" in log, "the damaged frame is logged")
    check("ERROR: " not in log, "no sanitizer report:\n" + log)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
