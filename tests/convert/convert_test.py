#!/usr/bin/env python3
"""`zemtool convert` end to end, checked with the reference FLAC tools.

    convert_test.py ZEMTOOL ALBUM_DIR

The bundled album (image and cue sheet) to FLAC per track: every track's PCM
equals `zemtool decode` of its link, STREAMINFO's MD5 is the PCM's, the tags
are the sheet's; the image carrying the sheet gives the same files; FLAC with
a picture to ZEM and back keeps PCM, tags and picture; WAV files of several
formats go through FLAC and ZEM unchanged; a bad input fails alone.
Exit 77 (skipped) when flac or metaflac is missing.
"""

import hashlib
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ZEMTOOL = sys.argv[1]
ALBUM = sys.argv[2]
failures = []


def run(*args, ok=True):
    result = subprocess.run(args, capture_output=True)
    if ok and result.returncode != 0:
        raise SystemExit("%s failed (%d): %s" % (" ".join(args), result.returncode, result.stderr.decode()))
    return result


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def wav_data(path):
    """The data chunk's bytes of a WAV file."""
    with open(path, "rb") as f:
        data = f.read()
    at = 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if tag == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    raise SystemExit("no data chunk in " + path)


def flac_pcm(flac, work):
    out = os.path.join(work, "flac-decoded.wav")
    run("flac", "-s", "-d", "-f", "-o", out, flac)
    return wav_data(out)


def zem_pcm(stream, work):
    out = os.path.join(work, "zem-decoded.wav")
    run(ZEMTOOL, "decode", "-q", stream, out)
    return out


def tags(flac):
    text = run("metaflac", "--export-tags-to=-", flac).stdout.decode()
    return sorted(line for line in text.splitlines() if line)


def png(width, height):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + b"\x80\x40\x20" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def make_wav(path, rate, channels, bits, blocks, seed):
    rng = random.Random(seed)
    width = bits // 8
    samples = bytearray()
    for _ in range(blocks * channels):
        if bits == 8:
            samples.append(rng.randrange(256))
        else:
            value = rng.randrange(-(1 << (bits - 1)), 1 << (bits - 1))
            samples += (value & ((1 << bits) - 1)).to_bytes(width, "little")
    align = channels * width
    header = (b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " +
              struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * align, align, bits) +
              b"data" + struct.pack("<I", len(samples)))
    with open(path, "wb") as f:
        f.write(header + samples)


def album_tracks(work):
    """The sheet's tracks to FLAC, against the links' decoded PCM."""
    shutil.copy(os.path.join(ALBUM, "Tallowmere.zem"), work)
    shutil.copy(os.path.join(ALBUM, "Tallowmere.cue"), work)
    sheet = os.path.join(work, "Tallowmere.cue")
    links = run(ZEMTOOL, "links", sheet).stdout.decode().split("\n")[:-1]
    out = os.path.join(work, "flac")
    written = run(ZEMTOOL, "convert", sheet, "--output-dir", out, "--flac-level", "5").stdout.decode().split("\n")[:-1]
    check(len(written) == len(links) == 3, "one FLAC file a track: %r" % written)
    names = ["Corvane - Tallowmere - 01 - Wrenfall", "Corvane - Tallowmere - 02 - Saltglass",
             "Ilse Marrow - Tallowmere - 03 - Lanternfield"]
    titles = ["Wrenfall", "Saltglass", "Lanternfield"]
    artists = ["Corvane", "Corvane", "Ilse Marrow"]
    for index, (link, flac) in enumerate(zip(links, written)):
        check(os.path.basename(flac) == names[index] + ".flac", "named by the link template: " + flac)
        pcm = wav_data(zem_pcm(link, work))
        check(len(pcm) > 0 and flac_pcm(flac, work) == pcm, "track %d PCM equals its link's" % (index + 1))
        md5 = run("metaflac", "--show-md5sum", flac).stdout.decode().strip()
        check(md5 == hashlib.md5(pcm).hexdigest(), "track %d STREAMINFO MD5" % (index + 1))
        check(run("flac", "-s", "-t", flac, ok=False).returncode == 0, "flac -t passes track %d" % (index + 1))
        expected = sorted(["ARTIST=" + artists[index], "ALBUMARTIST=Corvane", "ALBUM=Tallowmere",
                           "TITLE=" + titles[index], "TRACKNUMBER=%d" % (index + 1), "TRACKTOTAL=3",
                           "DATE=2024", "GENRE=Folk", "COMMENT=bundled sample album"])
        check(tags(flac) == expected, "track %d tags: %r" % (index + 1, tags(flac)))
    # The image carrying the same sheet gives the same files.
    image = os.path.join(work, "Tallowmere.zem")
    run(ZEMTOOL, "tag", image, "--set-cuesheet", sheet)
    again = os.path.join(work, "from-image")
    from_image = run(ZEMTOOL, "convert", image, "--output-dir", again, "--flac-level", "5").stdout.decode().split()
    for flac in written:
        other = os.path.join(again, os.path.basename(flac))
        check(os.path.exists(other) and open(other, "rb").read() == open(flac, "rb").read(),
              "the image's sheet gives the same file " + os.path.basename(flac))
    check(len(from_image) > 0, "the image converts")
    return written


def flac_zem_round_trip(work, flac):
    """A FLAC with a picture and extra fields to ZEM and back to FLAC."""
    source = os.path.join(work, "picture.flac")
    shutil.copy(flac, source)
    cover = os.path.join(work, "cover.png")
    with open(cover, "wb") as f:
        f.write(png(3, 2))
    run("metaflac", "--set-tag=MOOD=calm", "--import-picture-from=3|image/png|||" + cover, source)
    before = tags(source)
    zem_dir = os.path.join(work, "zem")
    stream = run(ZEMTOOL, "convert", source, "--to", "zem", "--output-dir", zem_dir).stdout.decode().strip()
    listing = run(ZEMTOOL, "tag", stream).stdout.decode()
    for line in ["Artist=Corvane", "Album=Tallowmere", "Title=Wrenfall", "Year=2024", "Track=1/3", "MOOD=calm"]:
        check(line in listing.splitlines(), "ZEM tag holds " + line)
    check(wav_data(zem_pcm(stream, work)) == flac_pcm(source, work), "FLAC to ZEM keeps the PCM")
    back_dir = os.path.join(work, "back")
    back = run(ZEMTOOL, "convert", stream, "--output-dir", back_dir).stdout.decode().strip()
    check(tags(back) == before, "FLAC to ZEM to FLAC keeps the tags: %r" % tags(back))
    exported = os.path.join(work, "exported.png")
    run("metaflac", "--export-picture-to=" + exported, back)
    check(open(exported, "rb").read() == open(cover, "rb").read(), "the picture comes back")
    listed = run("metaflac", "--list", "--block-type=PICTURE", back).stdout.decode()
    check("type: 3" in listed and "MIME type: image/png" in listed and "width: 3" in listed and
          "height: 2" in listed, "a front cover block with MIME type and size")


def wav_formats(work):
    """WAV files through FLAC and through ZEM: the same bytes come out."""
    for rate, channels, bits in [(44100, 2, 16), (48000, 1, 24), (44100, 1, 8), (48000, 2, 24)]:
        name = "w%d_%d_%d" % (rate, channels, bits)
        wav = os.path.join(work, name + ".wav")
        make_wav(wav, rate, channels, bits, 5000, rate + bits)
        out = os.path.join(work, "formats")
        flac = run(ZEMTOOL, "convert", wav, "--output-dir", out).stdout.decode().strip()
        check(flac_pcm(flac, work) == wav_data(wav), name + " through FLAC")
        stream = run(ZEMTOOL, "convert", wav, "--to", "zem", "--output-dir", out).stdout.decode().strip()
        check(open(zem_pcm(stream, work), "rb").read() == open(wav, "rb").read(), name + " through ZEM")
        from_flac = run(ZEMTOOL, "convert", flac, "--to", "zem", "--output-dir", os.path.join(out, "f")).stdout
        check(wav_data(zem_pcm(from_flac.decode().strip(), work)) == wav_data(wav), name + " FLAC to ZEM")


def bad_input(work):
    """A damaged input fails alone, names itself and leaves nothing behind."""
    bad = os.path.join(work, "bad.flac")
    with open(bad, "wb") as f:
        f.write(b"fLaC" + b"\x00" * 40)
    good = os.path.join(work, "w44100_2_16.wav")
    out = os.path.join(work, "mixed")
    result = run(ZEMTOOL, "convert", bad, good, "--output-dir", out, ok=False)
    check(result.returncode == 1, "exit status 1 when one input fails")
    check("bad.flac" in result.stderr.decode(), "the failure names the file")
    check(sorted(os.listdir(out)) == ["w44100_2_16.flac"], "the other input is converted, nothing else: %r"
          % sorted(os.listdir(out)))
    usage = run(ZEMTOOL, "convert", good, "--flac-level", "9", ok=False)
    check(usage.returncode == 2, "a level beyond 8 is a usage error")


def main():
    if not shutil.which("flac") or not shutil.which("metaflac"):
        print("flac and metaflac are needed: skipped")
        return 77
    with tempfile.TemporaryDirectory() as work:
        written = album_tracks(work)
        flac_zem_round_trip(work, written[0])
        wav_formats(work)
        bad_input(work)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
