#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""`zemtool convert` end to end, checked with the reference FLAC tools.

    convert_test.py ZEMTOOL ALBUM_DIR LIBZEM [--gain]
    convert_test.py ZEMTOOL.exe ALBUM_DIR --wine-run WINE_RUN MAKE_SAMPLES.exe

The bundled album (image and cue sheet) to FLAC per track: every track's PCM
equals `zemtool decode` of its link, STREAMINFO's MD5 is the PCM's, the tags
are the sheet's and the cover the image's tag holds (set through LIBZEM's C
API) is each file's front picture; a link file converts with its image's
fields; the image carrying the sheet gives the same files; an album with
pregaps and a hidden track before track 1 splits at its INDEX 01 points; FLAC with
a picture to ZEM and back keeps PCM, tags and picture; WAV files of several
formats go through FLAC and ZEM unchanged; a bad input fails alone.
With --gain, `zemtool gain` against values worked out by hand (a stereo 1 kHz
sine at -23 dBFS reads -23 LUFS, silence, a full-scale square) and the
album's image tracks against the same tracks as FLAC files.
With --wine-run, the Windows build under Wine (WINE_RUN is tools/wine-run.sh),
one program start a step: the album's image made by MAKE_SAMPLES.exe, its
links, its tracks to FLAC in a folder of a non-ASCII name, checked here as
above against zemtool.exe's decode of the links; `gain --dry-run` of the sheet
and of those FLAC files gives the values the native build gives (README).
Exit 77 (skipped) when flac or metaflac is missing.
"""

import array
import cmath
import ctypes
import hashlib
import json
import math
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
WINE_RUN, MAKE_SAMPLES = sys.argv[4:6] if sys.argv[3] == "--wine-run" else (None, None)
LIBZEM = None if WINE_RUN else sys.argv[3]
# The album's tracks: file name (the link template's), title, artist.
ALBUM_TRACKS = [("Corvane - Tallowmere - 01 - Wrenfall", "Wrenfall", "Corvane"),
                ("Corvane - Tallowmere - 02 - Saltglass", "Saltglass", "Corvane"),
                ("Ilse Marrow - Tallowmere - 03 - Lanternfield", "Lanternfield", "Ilse Marrow")]
# What the native build's `zemtool gain` prints for the album and its tracks (README): gain in dB, peak.
ALBUM_GAINS = [(-9.67, 0.822693), (-9.57, 0.821136), (-9.60, 0.820770), (-9.85, 0.822693)]
# A JPEG's start: SOI, a JFIF segment, a baseline frame header of 48 x 32 pixels, 3 components.
JPEG = (b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
        b"\xff\xc0\x00\x11\x08\x00\x20\x00\x30\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xd9")
failures = []


def run(*args, ok=True):
    environment = json.loads(os.environ["ZEM_TEST_ENVIRONMENT"]) if "ZEM_TEST_ENVIRONMENT" in os.environ else None
    if WINE_RUN and args[0] in (ZEMTOOL, MAKE_SAMPLES):
        args = (WINE_RUN,) + args
    result = subprocess.run(args, capture_output=True, env=environment)
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


def preload_sanitizer():
    """A sanitizer build's libzem needs its runtime loaded before anything else in this
    interpreter: the test then starts again with it preloaded (the programs it runs get the
    environment it was started with)."""
    if "ZEM_TEST_ENVIRONMENT" in os.environ:
        return
    linked = subprocess.run(["ldd", LIBZEM], capture_output=True, text=True).stdout
    if "libasan" not in linked:
        return
    runtime = subprocess.run(["cc", "-print-file-name=libasan.so"], capture_output=True, text=True).stdout.strip()
    environment = dict(os.environ, LD_PRELOAD=runtime, ASAN_OPTIONS="detect_leaks=0",
                       ZEM_TEST_ENVIRONMENT=json.dumps(dict(os.environ)))
    os.execve(sys.executable, [sys.executable] + sys.argv, environment)


def load_libzem():
    return ctypes.CDLL(LIBZEM)


def set_cover(stream, picture):
    """Stores the picture as the tag's front cover item: a file name, a zero byte, the bytes."""
    lib = load_libzem()
    lib.zem_tag_open.restype = ctypes.c_void_p
    lib.zem_tag_open.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_int)]
    lib.zem_tag_set_binary.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_size_t]
    lib.zem_tag_save.argtypes = [ctypes.c_void_p]
    lib.zem_tag_close.argtypes = [ctypes.c_void_p]
    error = ctypes.c_int()
    tag = lib.zem_tag_open(stream.encode(), ctypes.byref(error))
    value = b"front.jpg\0" + picture
    if lib.zem_tag_set_binary(tag, b"Cover Art (Front)", value, len(value)) != 0 or lib.zem_tag_save(tag) != 0:
        raise SystemExit("cannot set the cover of " + stream)
    lib.zem_tag_close(tag)


def check_album_flac(index, flac, pcm, work):
    """Track index + 1 of the album as FLAC: its PCM and STREAMINFO MD5 are `pcm`'s (its link decoded), flac -t
    passes, the tags are the sheet's."""
    title, artist = ALBUM_TRACKS[index][1:]
    check(len(pcm) > 0 and flac_pcm(flac, work) == pcm, "track %d PCM equals its link's" % (index + 1))
    md5 = run("metaflac", "--show-md5sum", flac).stdout.decode().strip()
    check(md5 == hashlib.md5(pcm).hexdigest(), "track %d STREAMINFO MD5" % (index + 1))
    check(run("flac", "-s", "-t", flac, ok=False).returncode == 0, "flac -t passes track %d" % (index + 1))
    expected = sorted(["ARTIST=" + artist, "ALBUMARTIST=Corvane", "ALBUM=Tallowmere", "TITLE=" + title,
                       "TRACKNUMBER=%d" % (index + 1), "TRACKTOTAL=3", "DATE=2024", "GENRE=Folk",
                       "COMMENT=bundled sample album"])
    check(tags(flac) == expected, "track %d tags: %r" % (index + 1, tags(flac)))


def album_tracks(work):
    """The sheet's tracks to FLAC, against the links' decoded PCM."""
    shutil.copy(os.path.join(ALBUM, "Tallowmere.zem"), work)
    shutil.copy(os.path.join(ALBUM, "Tallowmere.cue"), work)
    set_cover(os.path.join(work, "Tallowmere.zem"), JPEG)
    sheet = os.path.join(work, "Tallowmere.cue")
    links = run(ZEMTOOL, "links", sheet).stdout.decode().split("\n")[:-1]
    out = os.path.join(work, "flac")
    written = run(ZEMTOOL, "convert", sheet, "--output-dir", out, "--flac-level", "5").stdout.decode().split("\n")[:-1]
    check(len(written) == len(links) == 3, "one FLAC file a track: %r" % written)
    for index, (link, flac) in enumerate(zip(links, written)):
        check(os.path.basename(flac) == ALBUM_TRACKS[index][0] + ".flac", "named by the link template: " + flac)
        check_album_flac(index, flac, wav_data(zem_pcm(link, work)), work)
        exported = os.path.join(work, "exported.jpg")
        run("metaflac", "--export-picture-to=" + exported, flac)
        check(open(exported, "rb").read() == JPEG, "track %d carries the image's cover" % (index + 1))
        listed = run("metaflac", "--list", "--block-type=PICTURE", flac).stdout.decode()
        check(all(line in listed for line in ["type: 3", "MIME type: image/jpeg", "width: 48", "height: 32",
                                               "depth: 24"]), "a front cover block with MIME type and size")
    # A link file alone: the track's fields from the link, the album's and the cover from the image.
    run(ZEMTOOL, "tag", os.path.join(work, "Tallowmere.zem"), "--set", "Genre=Folk", "--set", "Year=2024")
    alone = run(ZEMTOOL, "convert", links[1], "--output-dir", os.path.join(work, "link")).stdout.decode().strip()
    check(flac_pcm(alone, work) == wav_data(zem_pcm(links[1], work)), "a link converts to its track")
    check(set(tags(alone)) >= {"TITLE=Saltglass", "ALBUM=Tallowmere", "GENRE=Folk", "DATE=2024"},
          "a link's FLAC has the track's and the image's fields: %r" % tags(alone))
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


def pregap_album(work):
    """Pregaps (INDEX 00) and a hidden track before track 1: each track runs from its INDEX 01 to the next
    one's, a pregap going with the track before it; the hidden audio is in no file."""
    folder = os.path.join(work, "pregaps")
    os.makedirs(folder)
    wav = os.path.join(folder, "Undertow.wav")
    sector = 588 * 4
    make_wav(wav, 44100, 2, 16, 30 * 588, 11)
    run(ZEMTOOL, "encode", "-q", wav, os.path.join(folder, "Undertow.zem"))
    sheet = os.path.join(folder, "Undertow.cue")
    with open(sheet, "w") as f:
        f.write('PERFORMER "Vell"\nTITLE "Undertow"\nFILE "Undertow.zem" WAVE\n'
                '  TRACK 01 AUDIO\n    TITLE "Ahead"\n    PERFORMER "Vell"\n    INDEX 00 00:00:00\n    INDEX 01 00:00:05\n'
                '  TRACK 02 AUDIO\n    TITLE "Gap"\n    PERFORMER "Vell"\n    INDEX 00 00:00:12\n    INDEX 01 00:00:15\n'
                '  TRACK 03 AUDIO\n    TITLE "Last"\n    PERFORMER "Vell"\n    INDEX 00 00:00:20\n    INDEX 01 00:00:22\n')
    links = run(ZEMTOOL, "links", sheet).stdout.decode().split("\n")[:-1]
    written = run(ZEMTOOL, "convert", sheet, "--output-dir", os.path.join(folder, "flac")).stdout.decode().split("\n")[:-1]
    check(len(written) == len(links) == 3, "pregap album: one file a track: %r" % written)
    audio = wav_data(wav)
    for index, (start, end, title) in enumerate([(5, 15, "Ahead"), (15, 22, "Gap"), (22, 30, "Last")]):
        if index >= len(written):
            break
        pcm = flac_pcm(written[index], work)
        check(pcm == audio[start * sector:end * sector], "pregap album: track %d is sectors %d to %d"
              % (index + 1, start, end))
        check(pcm == wav_data(zem_pcm(links[index], work)), "pregap album: track %d equals its link" % (index + 1))
        check(run("flac", "-s", "-t", written[index], ok=False).returncode == 0, "pregap album: flac -t, track %d"
              % (index + 1))
        check({"TITLE=" + title, "TRACKNUMBER=%d" % (index + 1), "TRACKTOTAL=3"} <= set(tags(written[index])),
              "pregap album: track %d tags %r" % (index + 1, tags(written[index])))


def flac_zem_round_trip(work, flac):
    """A FLAC with a picture and extra fields to ZEM and back to FLAC."""
    source = os.path.join(work, "picture.flac")
    shutil.copy(flac, source)
    cover = os.path.join(work, "cover.png")
    with open(cover, "wb") as f:
        f.write(png(3, 2))
    run("metaflac", "--remove", "--block-type=PICTURE", source)
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
    check(all(line in listed for line in ["type: 3", "MIME type: image/png", "width: 3", "height: 2", "depth: 24"]),
          "the PNG's front cover block with MIME type and size")


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


def gain_line(text, name):
    """(gain, peak) of the line about `name` in `zemtool gain`'s output; gain None for silence."""
    for line in text.splitlines():
        if line.startswith(name + ": ") or (name == "album" and line.startswith("album ")):
            rest = line.rsplit(": gain ", 1)[1]
            gain, peak = rest.split(", peak ")
            return (None if gain.startswith("none") else float(gain.split()[0])), float(peak)
    raise SystemExit("no gain line for %s in %r" % (name, text))


def k_weighted_loudness(period, rate):
    """The loudness (LUFS, both channels alike) of a periodic signal given by one period of 16-bit
    samples: the power of each DFT bin through the K-weighting filters' response at 48 kHz."""
    shelf = ([1.53512485958697, -2.69169618940638, 1.19839281085285], [1.0, -1.69065929318241, 0.73248077421585])
    high_pass = ([1.0, -2.0, 1.0], [1.0, -1.99004745483398, 0.99007225036621])
    n = len(period)
    power = 0.0
    for k in range(n):
        z = cmath.exp(-2j * math.pi * k / n)
        bin_value = sum(period[t] / 32768 * z ** t for t in range(n)) / n
        response = 1.0
        for b, a in (shelf, high_pass):
            response *= (b[0] + b[1] * z + b[2] * z * z) / (a[0] + a[1] * z + a[2] * z * z)
        power += abs(bin_value) ** 2 * abs(response) ** 2
    return -0.691 + 10 * math.log10(2 * power)


def write_samples(path, rate, samples):
    data = array.array("h", samples)
    if sys.byteorder != "little":
        data.byteswap()
    body = data.tobytes()
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(body)) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 2, rate, rate * 4, 4, 16) + b"data" + struct.pack("<I", len(body)) +
                body)


def gain(work, album_flacs):
    """Loudness against known values, written into a stream's tag; image tracks against their FLAC files."""
    rate = 48000
    amplitude = 32767 * 10 ** (-23 / 20)
    sine = [0] * (2 * rate * 20)
    for i in range(rate * 20):
        sine[2 * i] = sine[2 * i + 1] = round(amplitude * math.sin(2 * math.pi * 1000 * i / rate))
    square = [32767 if (i // 2 // 24) % 2 else -32767 for i in range(2 * rate * 5)]
    # name, samples, expected gain (dB, None: silence), tolerance, expected peak
    cases = [("sine", sine, -18.0 + 23.0, 0.1, max(sine) / 32768),
             ("silence", [0] * (2 * rate * 5), None, 0, 0.0),
             ("square", square, None, 0, 32767 / 32768)]
    folder = os.path.join(work, "gain")
    os.makedirs(folder)
    for name, samples, expected, tolerance, peak in cases:
        wav = os.path.join(folder, name + ".wav")
        write_samples(wav, rate, samples)
        stream = run(ZEMTOOL, "convert", wav, "--to", "zem").stdout.decode().strip()
        printed = run(ZEMTOOL, "gain", stream).stdout.decode()
        measured, measured_peak = gain_line(printed, stream)
        if name == "square":
            expected = -18.0 - k_weighted_loudness(square[0:96:2], rate)
            check(measured is not None and abs(measured - expected) <= 0.02,
                  "square gain %r, expected %r" % (measured, expected))
        elif expected is None:
            check(measured is None, "%s has no gain: %r" % (name, measured))
        else:
            check(abs(measured - expected) <= tolerance, "%s gain %r, expected %r" % (name, measured, expected))
        check(abs(measured_peak - peak) < 2e-6, "%s peak %r, expected %r" % (name, measured_peak, peak))
        listing = run(ZEMTOOL, "tag", stream).stdout.decode().splitlines()
        check("REPLAYGAIN_TRACK_PEAK=%.6f" % measured_peak in listing, name + " peak in the tag")
        if measured is not None:
            check("REPLAYGAIN_TRACK_GAIN=%.2f dB" % measured in listing, name + " gain in the tag")
    # The album's tracks inside the image read as the same tracks split to FLAC.
    sheet = os.path.join(work, "Tallowmere.cue")
    from_image = run(ZEMTOOL, "gain", "--dry-run", sheet).stdout.decode()
    from_files = run(ZEMTOOL, "gain", "--dry-run", "--album", *album_flacs).stdout.decode()
    check(gain_line(from_image, "album") == gain_line(from_files, "album"), "album gain of image and files")
    image_lines = [line.split(": ", 1)[1] for line in from_image.splitlines()]
    file_lines = [line.split(": ", 1)[1] for line in from_files.splitlines()]
    check(image_lines == file_lines and len(image_lines) == 4, "track gains of image and files: %r" % image_lines)
    run(ZEMTOOL, "gain", sheet)
    link = os.path.join(work, "Corvane - Tallowmere - 01 - Wrenfall.zlk")
    listing = run(ZEMTOOL, "tag", link).stdout.decode()
    check("REPLAYGAIN_TRACK_GAIN=%.2f dB" % gain_line(from_files, album_flacs[0])[0] in listing.splitlines() and
          "REPLAYGAIN_ALBUM_GAIN=%.2f dB" % gain_line(from_files, "album")[0] in listing.splitlines(),
          "the link file holds its track's and the album's gain")
    again = run(ZEMTOOL, "convert", link, "--output-dir", os.path.join(work, "gained")).stdout.decode().strip()
    check(any(line.startswith("REPLAYGAIN_TRACK_GAIN=") for line in tags(again)), "FLAC carries the link's gain")


def foreign_chunks(work):
    """WAVE chunks that `flac --keep-foreign-metadata` kept come back around the audio in ZEM and WAV."""
    source = os.path.join(work, "w44100_2_16.wav")
    pcm = wav_data(source)
    fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16)
    info = b"LIST" + struct.pack("<I", 10) + b"INFOab\0\0cd"
    body = b"WAVE" + fmt + b"junk" + struct.pack("<I", 4) + b"1234" + b"data" + struct.pack("<I", len(pcm)) + pcm + info
    wav = os.path.join(work, "foreign.wav")
    with open(wav, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)
    flac = os.path.join(work, "foreign.flac")
    run("flac", "-s", "-f", "--keep-foreign-metadata", "-o", flac, wav)
    out = os.path.join(work, "foreign")
    stream = run(ZEMTOOL, "convert", flac, "--to", "zem", "--output-dir", out).stdout.decode().strip()
    check(open(zem_pcm(stream, work), "rb").read() == open(wav, "rb").read(), "WAV to FLAC to ZEM is byte-exact")
    again = run(ZEMTOOL, "convert", flac, "--to", "wav", "--output-dir", out).stdout.decode().strip()
    check(open(again, "rb").read() == open(wav, "rb").read(), "WAV to FLAC to WAV is byte-exact")


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


def file_name(printed):
    """The last part of a path zemtool.exe printed, whichever separator it used."""
    return printed.replace("\\", "/").rsplit("/", 1)[-1]


def windows_album(work):
    """zemtool.exe under Wine: links, convert to a folder of a non-ASCII name, decode, gain (see the top)."""
    run(MAKE_SAMPLES, "--album", work)
    album = os.path.join(work, "album")
    shutil.copy(os.path.join(ALBUM, "Tallowmere.cue"), album)
    sheet = os.path.join(album, "Tallowmere.cue")
    links = run(ZEMTOOL, "links", sheet).stdout.decode().splitlines()
    check([file_name(link) for link in links] == [name + ".zlk" for name, _, _ in ALBUM_TRACKS],
          "one link a track: %r" % links)
    out = os.path.join(work, "Flac – Grüße 夜")
    written = run(ZEMTOOL, "convert", sheet, "--output-dir", out).stdout.decode().splitlines()
    check([file_name(flac) for flac in written] == [name + ".flac" for name, _, _ in ALBUM_TRACKS],
          "one FLAC file a track: %r" % written)
    decoded = os.path.join(work, "decoded")
    run(ZEMTOOL, "decode", "-q", "--output-dir", decoded,
        *[os.path.join(album, name + ".zlk") for name, _, _ in ALBUM_TRACKS])
    flacs = [os.path.join(out, name + ".flac") for name, _, _ in ALBUM_TRACKS]
    for index, flac in enumerate(flacs):
        check_album_flac(index, flac, wav_data(os.path.join(decoded, ALBUM_TRACKS[index][0] + ".wav")), work)
    # The FLAC files are read back too: tags, then audio, through names the ANSI code page cannot spell.
    printed = run(ZEMTOOL, "gain", "--dry-run", sheet, *flacs).stdout.decode()
    measured = {}
    for line in printed.splitlines():
        name, values = line.rsplit(": gain ", 1)
        gain_db, peak = values.split(" dB, peak ")
        measured["album" if name.startswith("album ") else file_name(name)] = (float(gain_db), float(peak))
    expected = {"album": ALBUM_GAINS[0]}
    for (name, _, _), values in zip(ALBUM_TRACKS, ALBUM_GAINS[1:]):
        expected[name + ".zlk"] = expected[name + ".flac"] = values
    check(measured == expected, "gain of the sheet's tracks and of their FLAC files: %r" % measured)


def main():
    if WINE_RUN is None:
        preload_sanitizer()
    if not shutil.which("flac") or not shutil.which("metaflac"):
        print("flac and metaflac are needed: skipped")
        return 77
    with tempfile.TemporaryDirectory() as work:
        if WINE_RUN:
            windows_album(work)
        else:
            written = album_tracks(work)
            flac_zem_round_trip(work, written[0])
            wav_formats(work)
            pregap_album(work)
            bad_input(work)
            foreign_chunks(work)
            if "--gain" in sys.argv[4:]:
                gain(work, written)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
