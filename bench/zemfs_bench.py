#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""How long `ls -l` takes through zemfs in one folder of many streams (a
benchmark to run by hand, never a test).

    bench/zemfs_bench.py [--bin BUILD/bin] [--entries N] [--work DIR]

Encodes one short stream with zemtool, copies it N times (10,000 by default)
into one folder beside N/10 link files and a cue sheet, mounts the folder with
zemfs and times `ls -l` of the mounted folder three times: the first listing
learns every stream, the later ones find what it learnt while the folder is
unchanged. The aim is under 2 s for 10,000 entries. Needs /dev/fuse.
"""
import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time


def tone(blocks):
    pcm = b"".join(struct.pack("<hh", int(8000 * math.sin(i / 20)), 0) for i in range(blocks))
    fmt = struct.pack("<HHIIHH", 1, 2, 44100, 44100 * 4, 4, 16)
    body = b"WAVEfmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(pcm)) + pcm
    return b"RIFF" + struct.pack("<I", len(body)) + body


def cpu_seconds(pid):
    """User and system time of the process so far: on a busy machine the time
    zemfs itself spends says more than the wall clock."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "..", "build", "native", "bin"))
    parser.add_argument("--entries", type=int, default=10000)
    parser.add_argument("--work")
    args = parser.parse_args()
    zemtool, zemfs = (os.path.join(args.bin, name) for name in ("zemtool", "zemfs"))
    work = args.work or tempfile.mkdtemp(prefix="zemfs-bench-")
    src, mnt = os.path.join(work, "src"), os.path.join(work, "mnt")
    shutil.rmtree(src, ignore_errors=True)
    os.makedirs(src)
    os.makedirs(mnt, exist_ok=True)
    wav = os.path.join(work, "tone.wav")
    with open(wav, "wb") as f:
        f.write(tone(2000))
    first = os.path.join(src, "s00000.zem")
    subprocess.run([zemtool, "encode", "-q", wav, first], check=True)
    links = args.entries // 10
    for i in range(1, args.entries - links):
        shutil.copyfile(first, os.path.join(src, "s%05d.zem" % i))
    for i in range(links):
        with open(os.path.join(src, "l%05d.zlk" % i), "wb") as f:
            f.write(b"[Quillon Image Link File]\r\nImage File=s%05d.zem\r\nStart Block=100\r\nFinish Block=-1\r\n" % i)
    proc = subprocess.Popen([zemfs, src, mnt, "-f"], stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if os.path.ismount(mnt):
                break
            time.sleep(0.05)
        if not os.path.ismount(mnt):
            sys.exit("zemfs_bench: the mount failed")
        for run in range(3):
            start, cpu = time.monotonic(), cpu_seconds(proc.pid)
            listing = subprocess.run(["ls", "-l", mnt], stdout=subprocess.PIPE, check=True).stdout
            seconds, cpu = time.monotonic() - start, cpu_seconds(proc.pid) - cpu
            print("ls -l of %d entries, run %d: %.2f s (zemfs busy %.2f s)" %
                  (listing.count(b"\n") - 1, run + 1, seconds, cpu))
            # Past the kernel's attribute time-out, so the later runs ask zemfs again.
            time.sleep(1.1)
    finally:
        subprocess.run(["fusermount3", "-u", mnt])
        proc.wait()
    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
