#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""The GStreamer plugin (libgstzem.so) through GStreamer's own tools, against
`zemtool decode`: type finding, decoding, durations and tags, seeking, damage.

    gst_plugin_test.py CHECK --zemtool PATH --plugins DIR --work DIR

CHECK is inspect, decode, discover, seek, damage, hostile, names, typefind or stream (sources other than
local files: a pipe, appsrc, HTTP from a server started here); the streams are made from wave files
written here (deterministic noise over a sine) with zemtool encode.
"""
import argparse
import http.server
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import threading
import urllib.parse
import wave
import zlib

TIMEOUT = 60
LINK_HEADER = "[Quillon Image Link File]"


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


def run(args, expect_ok=True):
    result = subprocess.run(args, capture_output=True, text=True, errors="replace", timeout=TIMEOUT)
    if expect_ok and result.returncode != 0:
        fail("%s exited with %d:\n%s%s" % (" ".join(args), result.returncode, result.stdout, result.stderr))
    return result


class Streams:
    """Makes wave files, their streams and link files, and zemtool's decodes of them."""

    def __init__(self, zemtool, work):
        self.zemtool = zemtool
        self.work = work

    def path(self, name):
        return os.path.join(self.work, name)

    def wave(self, name, bits, channels, rate, blocks):
        width = bits // 8
        seed = 12345 + bits * 7 + channels
        peak = (1 << (bits - 1)) - 1
        data = bytearray()
        for i in range(blocks):
            for c in range(channels):
                seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
                noise = (seed >> 8) % (peak // 8 + 1) - peak // 16
                value = int(peak * 0.6 * math.sin(2 * math.pi * 440 * (c + 1) * i / rate)) + noise
                value = max(-peak - 1, min(peak, value))
                if bits == 8:
                    data.append(value + 128)
                else:
                    data += (value & ((1 << bits) - 1)).to_bytes(width, "little")
        path = self.path(name + ".wav")
        with wave.open(path, "wb") as w:
            w.setnchannels(channels)
            w.setsampwidth(width)
            w.setframerate(rate)
            w.writeframes(bytes(data))
        return path

    def stream(self, name, bits, channels, rate, blocks, level=2000, frame_blocks=8192, tags=()):
        source = self.wave(name, bits, channels, rate, blocks)
        path = self.path(name + ".zem")
        run([self.zemtool, "encode", "-q", "--level", str(level), "--frame-blocks", str(frame_blocks), source, path])
        self.tag(path, tags)
        return path

    def tag(self, path, tags):
        if tags:
            args = [self.zemtool, "tag", path]
            for name, value in tags:
                args += ["--set", "%s=%s" % (name, value)]
            run(args)

    def link(self, name, image, start, finish, tags=()):
        path = self.path(name + ".zlk")
        with open(path, "w", newline="") as f:
            f.write("%s\r\nImage File=%s\r\nStart Block=%d\r\nFinish Block=%d\r\n\r\n"
                    % (LINK_HEADER, os.path.basename(image), start, finish))
        self.tag(path, tags)
        return path

    def reference(self, path):
        """zemtool's decode: (PCM bytes, block align, rate)."""
        out = path + ".ref.wav"
        run([self.zemtool, "decode", path, out], expect_ok=False)
        with wave.open(out, "rb") as w:
            return w.readframes(w.getnframes()), w.getnchannels() * w.getsampwidth(), w.getframerate()


def gst_decode(path, out, via="decodebin"):
    """gst-launch's raw output of `path`; returns the finished process."""
    if via == "playbin":
        # A player's route: playbin picks everything itself; wavenc takes what it plays.
        return run(["gst-launch-1.0", "playbin", "uri=file://" + os.path.abspath(path), "video-sink=fakesink",
                    "audio-sink=wavenc ! filesink location=" + out], expect_ok=False)
    chain = ["decodebin", "!", "audio/x-raw"] if via == "decodebin" else ["zemdec"]
    return run(["gst-launch-1.0", "filesrc", "location=" + path, "!"] + chain + ["!", "filesink", "location=" + out],
               expect_ok=False)


def wave_data(wav):
    """The bytes of a wave file's data chunk."""
    at = 12
    while at + 8 <= len(wav):
        size = struct.unpack_from("<I", wav, at + 4)[0]
        if wav[at:at + 4] == b"data":
            return wav[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    return b""


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check_inspect(streams):
    listing = run(["gst-inspect-1.0", "zem"]).stdout
    for feature in ("zemdec: ZEM decoder", "zem_stream: zem, qrb", "zem_link: zlk"):
        if feature not in listing:
            fail("gst-inspect-1.0 zem lacks %r:\n%s" % (feature, listing))
    # Players show the origin as a link: it must be an absolute http(s) URL.
    origin = re.search(r"^\s*Origin URL\s+(\S.*)$", listing, re.M)
    if not origin or not re.fullmatch(r"https?://[a-z0-9.-]+\.[a-z]+(/\S*)?", origin.group(1).strip()):
        fail("gst-inspect-1.0 zem: the Origin URL is no URL: %r" % (origin and origin.group(1)))
    element = run(["gst-inspect-1.0", "zemdec"]).stdout
    for text in ("primary (256)", "Codec/Demuxer/Audio", "audio/x-zem", "application/x-zem-link", "S24LE"):
        if text not in element:
            fail("gst-inspect-1.0 zemdec lacks %r" % text)


def id3_front(path, padding):
    """A copy of `path` behind an ID3v2 block with a title frame and zero padding."""
    frame = b"TIT2" + struct.pack(">I", 6) + b"\0\0" + b"\0Front"
    body = frame + bytes(padding)
    size = len(body)
    header = b"ID3\x03\x00\x00" + bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])
    copy = path[:-4] + "-id3.zem"
    with open(copy, "wb") as f:
        f.write(header + body + read(path))
    return copy


def check_decode(streams):
    s16 = streams.stream("s16", 16, 2, 44100, 30000, level=2000)
    cases = [
        ("8-bit mono, level 1000", streams.stream("u8", 8, 1, 8000, 20000, level=1000)),
        ("16-bit stereo, level 2000", s16),
        ("16-bit mono, level 3000", streams.stream("m16", 16, 1, 22050, 25000, level=3000)),
        ("24-bit stereo, level 4000", streams.stream("s24", 24, 2, 48000, 24000, level=4000)),
        ("24-bit mono, level 5000", streams.stream("m24", 24, 1, 96000, 17000, level=5000)),
        ("a link's track", streams.link("track", s16, 10000, 21111)),
        ("a link to the image's end", streams.link("last", s16, 29000, -1)),
        ("an ID3v2 block in front", id3_front(s16, 0)),
        ("an ID3v2 block padded with zeros", id3_front(s16, 300)),
    ]
    qrb = streams.path("copy.qrb")
    shutil.copy(s16, qrb)
    cases.append((".qrb", qrb))
    routes = [(label, path, "decodebin") for label, path in cases]
    routes += [(label + " through playbin", path, "playbin") for label, path in cases[1:2] + cases[5:6]]
    for label, path, via in routes:
        expected, _, _ = streams.reference(path)
        out = path + "." + via + ".out"
        result = gst_decode(path, out, via)
        if result.returncode != 0:
            fail("%s: gst-launch failed:\n%s%s" % (label, result.stdout, result.stderr))
        got = read(out) if via != "playbin" else wave_data(read(out))
        if got != expected:
            fail("%s: %d bytes from GStreamer, %d from zemtool decode, first difference at %d"
                 % (label, len(got), len(expected), next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b),
                                                        min(len(got), len(expected)))))


def tiny_png():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(b"\x00\xff\x00\x00")) + chunk(b"IEND", b""))


def append_tag(path, items):
    """A ZEM tag (footer only) of (name, bytes, binary) items at the end of a file that has none."""
    body = b"".join(struct.pack("<II", len(value), 2 if binary else 0) + name.encode() + b"\0" + value
                    for name, value, binary in items)
    with open(path, "ab") as f:
        f.write(body + b"ZEMTAGEX" + struct.pack("<IIII", 2000, len(body) + 32, len(items), 0x40000000) + bytes(8))


def discovered(path):
    return run(["gst-discoverer-1.0", "-v", path]).stdout


def check_discover(streams):
    tags = [("Title", "Night Ferry"), ("Artist", "Orla Vey"), ("Album", "Harbour Lights"), ("Track", "4/11"),
            ("Genre", "Folk"), ("Year", "1998"), ("Comment", "first take")]
    image = streams.stream("tagged", 16, 2, 44100, 44101, tags=tags)
    link = streams.link("linked", image, 1000, 23051, tags=[("Title", "Second Half"), ("Artist", "Ines Dorr"),
                                                            ("Track", "2"), ("REPLAYGAIN_TRACK_GAIN", "-3.21 dB"),
                                                            ("REPLAYGAIN_TRACK_PEAK", "loud")])
    # The cover as a binary item ("Cover Art (Front)": a name, a zero byte, the image) and gains as players read them.
    covered = streams.stream("covered", 16, 2, 44100, 4410)
    append_tag(covered, [("REPLAYGAIN_TRACK_GAIN", b"-6.54 dB", False), ("REPLAYGAIN_TRACK_PEAK", b"0.988553", False),
                         ("REPLAYGAIN_ALBUM_GAIN", b"+1.50 db", False), ("REPLAYGAIN_ALBUM_PEAK", b"1.25", False),
                         ("Cover Art (Front)", b"cover.png\0" + tiny_png(), True)])
    cases = [
        # path, duration text (44101 and 22051 blocks at 44100 Hz, rounded down to nanoseconds), tag lines
        (image, "0:00:01.000022675", ["title: Night Ferry", "artist: Orla Vey", "album: Harbour Lights",
                                      "track number: 4", "track count: 11", "genre: Folk", "datetime: 1998",
                                      "comment: first take", "audio codec: ZEM"]),
        (link, "0:00:00.500022675", ["title: Second Half", "artist: Ines Dorr", "track number: 2",
                                     "replaygain track gain: -3.21"]),
        (covered, "0:00:00.100000000", ["replaygain track gain: -6.54", "replaygain track peak: 0.98855300000000002",
                                        "replaygain album gain: 1.5", "replaygain album peak: 1.25",
                                        "image: buffer of %d bytes, type: image/png" % len(tiny_png())]),
    ]
    for path, duration, lines in cases:
        report = discovered(path)
        if "Duration: %s\n" % duration not in report:
            fail("%s: expected duration %s:\n%s" % (path, duration, report))
        for line in lines:
            if not re.search(r"^\s*%s$" % re.escape(line), report, re.MULTILINE):
                fail("%s: no tag line %r:\n%s" % (path, line, report))
        if "album: Harbour Lights" in report and path == link:
            fail("the link shows its image's tag:\n" + report)
        if path == link and ("track peak" in report or "image:" in report):
            fail("the link shows a peak that is no number, or a picture it has not:\n" + report)


def play(pipeline, sink, length):
    """Plays until EOS, or until `length` bytes and a segment-done: (first timestamp, bytes)."""
    pipeline.set_state(Gst.State.PLAYING)
    got = bytearray()
    pts = None
    while length is None or len(got) < length:
        sample = sink.try_pull_sample(TIMEOUT * Gst.SECOND)
        if sample is None:
            break
        buffer = sample.get_buffer()
        if pts is None:
            pts = buffer.pts
        got += buffer.extract_dup(0, buffer.get_size())
    if length is not None:
        if not pipeline.get_bus().timed_pop_filtered(TIMEOUT * Gst.SECOND, Gst.MessageType.SEGMENT_DONE):
            fail("no segment-done after a segment seek")
    elif not sink.is_eos():
        fail("no EOS after %d bytes" % len(got))
    return pts, bytes(got)


def init_gst():
    import gi
    gi.require_version("Gst", "1.0")
    gi.require_version("GstApp", "1.0")
    global Gst
    from gi.repository import Gst, GstApp  # noqa: F401
    Gst.init(None)


def check_seek(streams):
    init_gst()

    image = streams.stream("seek", 16, 2, 44100, 50000, frame_blocks=8192)
    cases = [
        (image, streams.reference(image)),
        (streams.link("seeklink", image, 7000, 31001), None),
    ]
    cases[1] = (cases[1][0], streams.reference(cases[1][0]))
    for path, (expected, align, rate) in cases:
        total = len(expected) // align
        pipeline = Gst.parse_launch('filesrc name=src ! decodebin ! appsink name=sink sync=false caps=audio/x-raw')
        pipeline.get_by_name("src").set_property("location", path)
        sink = pipeline.get_by_name("sink")
        pipeline.set_state(Gst.State.PAUSED)
        if pipeline.get_state(TIMEOUT * Gst.SECOND)[0] != Gst.StateChangeReturn.SUCCESS:
            fail("%s: does not preroll" % path)
        for fmt, want in ((Gst.Format.DEFAULT, total), (Gst.Format.TIME, total * Gst.SECOND // rate)):
            ok, value = pipeline.query_duration(fmt)
            if not ok or value != want:
                fail("%s: duration %s is %s, not %d" % (path, fmt, value, want))
        # (start in ns, stop in ns or -1, segment seek): the first block is
        # floor(start * rate), the last one before ceil(stop * rate)
        seeks = [(0, -1, False), (total * Gst.SECOND // (2 * rate) + 7, -1, False),
                 ((total - 100) * Gst.SECOND // rate + 1, -1, False), ((total - 1) * Gst.SECOND // rate, -1, False),
                 (Gst.SECOND // 10 + 3, Gst.SECOND // 5 + 5, False), (0, 1, False),
                 (Gst.SECOND // 3 + 1, Gst.SECOND // 2, True)]
        for start, stop, segment in seeks:
            flags = Gst.SeekFlags.FLUSH | Gst.SeekFlags.ACCURATE
            if segment:
                flags |= Gst.SeekFlags.SEGMENT
            if not pipeline.seek(1.0, Gst.Format.TIME, flags, Gst.SeekType.SET, start,
                                 Gst.SeekType.SET if stop >= 0 else Gst.SeekType.NONE, stop):
                fail("%s: seek to %d refused" % (path, start))
            first = start * rate // Gst.SECOND
            last = total if stop < 0 else -(-stop * rate // Gst.SECOND)
            pts, got = play(pipeline, sink, (last - first) * align if segment else None)
            if pts != first * Gst.SECOND // rate:
                fail("%s: seek to %d: first timestamp %s, block %d expected" % (path, start, pts, first))
            if got != expected[first * align:last * align]:
                fail("%s: seek to %d..%d gives %d blocks that differ from blocks %d..%d"
                     % (path, start, stop, len(got) // align, first, last))
        # Seeks from the end and beyond the stream land inside it; a seek that
        # is refused flushes nothing: playback goes on from where it stood.
        end, duration = Gst.SeekType.END, total * Gst.SECOND // rate
        edge_seeks = [  # start type, start, stop type, stop, first block, last block (None: refused)
            (end, -Gst.SECOND // 10, Gst.SeekType.NONE, -1, (duration - Gst.SECOND // 10) * rate // Gst.SECOND, total),
            (Gst.SeekType.SET, -10 * Gst.SECOND, Gst.SeekType.SET, Gst.SECOND // 100, 0, -(-rate // 100)),
            (end, -(1 << 63), end, Gst.SECOND // 1000 - duration, 0, -(-rate // 1000)),
            (Gst.SeekType.SET, (1 << 63) - 1, end, (1 << 63) - 1, total, total),
            (Gst.SeekType.SET, Gst.SECOND // 5, Gst.SeekType.SET, Gst.SECOND // 10, None, None),
        ]
        for start_type, start, stop_type, stop, first, last in edge_seeks:
            pipeline.set_state(Gst.State.PAUSED)
            pipeline.seek(1.0, Gst.Format.TIME, Gst.SeekFlags.FLUSH, Gst.SeekType.SET, 0, Gst.SeekType.NONE, -1)
            pipeline.get_state(TIMEOUT * Gst.SECOND)
            accepted = pipeline.seek(1.0, Gst.Format.TIME, Gst.SeekFlags.FLUSH, start_type, start, stop_type, stop)
            if accepted != (first is not None):
                fail("%s: seek %s %d .. %s %d %s" % (path, start_type, start, stop_type, stop,
                                                     "accepted" if accepted else "refused"))
            if first is None:
                first, last = 0, total
            pts, got = play(pipeline, sink, None)
            if got != expected[first * align:last * align] or (last > first and pts != first * Gst.SECOND // rate):
                fail("%s: seek %s %d .. %s %d: %d blocks from %s, expected blocks %d..%d"
                     % (path, start_type, start, stop_type, stop, len(got) // align, pts, first, last))
        # Refused before anything moves: other formats, rates below 0.
        pipeline.set_state(Gst.State.PAUSED)
        pipeline.seek(1.0, Gst.Format.TIME, Gst.SeekFlags.FLUSH, Gst.SeekType.SET, 0, Gst.SeekType.NONE, -1)
        pipeline.get_state(TIMEOUT * Gst.SECOND)
        for rate_, fmt in ((1.0, Gst.Format.BYTES), (-1.0, Gst.Format.TIME), (1.0, Gst.Format.BUFFERS)):
            if pipeline.seek(rate_, fmt, Gst.SeekFlags.FLUSH, Gst.SeekType.SET, 1000, Gst.SeekType.NONE, -1):
                fail("%s: a seek at rate %s in %s is accepted" % (path, rate_, fmt))
        pts, got = play(pipeline, sink, None)
        if pts != 0 or got != expected:
            fail("%s: after refused seeks %d blocks from %s, not the whole stream" % (path, len(got) // align, pts))
        pipeline.set_state(Gst.State.NULL)


def check_damage(streams):
    clean = streams.stream("clean", 16, 2, 44100, 40000, frame_blocks=4096)
    data = bytearray(read(clean))
    damaged = streams.path("damaged.zem")
    middle = len(data) // 2
    for i in range(middle, middle + 16):
        data[i] ^= 0x5A
    with open(damaged, "wb") as f:
        f.write(data)
    expected, align, _ = streams.reference(damaged)
    out = damaged + ".raw"
    result = gst_decode(damaged, out)
    if result.returncode != 0 or "Damaged frame at" not in result.stdout + result.stderr:
        fail("damaged stream: exit %d without the warning:\n%s%s" % (result.returncode, result.stdout, result.stderr))
    if read(out) != expected or len(expected) != 40000 * align:
        fail("damaged stream: %d bytes out, zemtool decode gives %d" % (len(read(out)), len(expected)))

    # A file cut short plays up to the first frame it lacks and ends there with
    # one warning saying where the file ends; damaged frames before the cut
    # still play as silence. zemtool names the first frame it fills for the cut.
    for label, source, damaged_frames in (("cut stream", read(clean), 0), ("damaged and cut stream", data, 1)):
        cut = streams.path(label.replace(" ", "-") + ".zem")
        with open(cut, "wb") as f:
            f.write(bytes(source[:len(source) * 3 // 5]))
        told = run([streams.zemtool, "decode", cut, cut + ".ref.wav"], expect_ok=False).stderr
        first_missing = re.search(r"frames from (\d+) on are fill", told)
        if not first_missing:
            fail("%s: zemtool decode does not name the cut:\n%s" % (label, told))
        reference, _, _ = streams.reference(cut)
        ends = int(first_missing.group(1)) * 4096 * align
        result = gst_decode(cut, cut + ".raw")
        text = result.stdout + result.stderr
        got = read(cut + ".raw")
        if (result.returncode != 0 or text.count("WARNING: from element") != damaged_frames + 1
                or text.count("Damaged frame at") != damaged_frames
                or "the file ends at byte %d" % (len(source) * 3 // 5) not in text):
            fail("%s: exit %d, warnings:\n%s" % (label, result.returncode, text))
        if len(got) != ends or got != reference[:ends] or any(reference[ends:]):
            fail("%s: %d bytes out; zemtool decodes %d, then fill up to %d"
                 % (label, len(got), ends, len(reference)))

    # A run of damaged frames up to the end plays as silence, as zemtool writes it.
    tail = bytearray(read(clean))
    for i in range(len(tail) - 200, len(tail) - 184):
        tail[i] ^= 0x5A
    damaged_tail = streams.path("damaged-tail.zem")
    with open(damaged_tail, "wb") as f:
        f.write(tail)
    reference, _, _ = streams.reference(damaged_tail)
    result = gst_decode(damaged_tail, damaged_tail + ".raw")
    if result.returncode != 0 or "Damaged frame at" not in result.stdout or read(damaged_tail + ".raw") != reference:
        fail("damaged last frame: %d bytes out, zemtool decodes %d:\n%s%s"
             % (len(read(damaged_tail + ".raw")), len(reference), result.stdout, result.stderr))

    truncated = streams.path("truncated.zem")
    with open(truncated, "wb") as f:
        f.write(bytes(data[:40]))
    garbage = streams.path("garbage.zem")
    with open(garbage, "wb") as f:
        f.write(bytes((i * 37 + 11) & 0xFF for i in range(5000)))
    # zemdec itself names the fault. Within decodebin a file that zemdec
    # refuses fails zemdec's state change, which decodebin reports as a
    # missing decoder: what matters there is that the pipeline ends.
    broken_link = streams.link("broken", streams.path("nowhere.zem"), 0, -1)
    remote_link = streams.path("remote.zlk")
    with open(remote_link, "w", newline="") as f:
        f.write("%s\r\nImage File=//host/share/x.zem\r\nStart Block=0\r\nFinish Block=-1\r\n\r\n" % LINK_HEADER)
    cases = [  # path, what zemdec's error must say
        (truncated, ["does not open as a ZEM stream"]),
        (garbage, ["does not open as a ZEM stream"]),
        (broken_link, ["does not open as a ZEM stream", "nowhere.zem"]),
        (remote_link, ["names a network or device path", "//host/share/x.zem"]),
    ]
    for path, texts in cases:
        result = gst_decode(path, path + ".raw", "zemdec")
        missing = [text for text in texts if text not in result.stdout + result.stderr]
        if result.returncode == 0 or missing:
            fail("%s: exit %d without %s:\n%s%s" % (path, result.returncode, missing, result.stdout, result.stderr))
        report = run(["gst-discoverer-1.0", path], expect_ok=False).stdout
        if "Done discovering" not in report or "Duration" in report:
            fail("%s: gst-discoverer-1.0 says:\n%s" % (path, report))
    # Found as a link by the type finder, the link's failure says so and names the missing image.
    # gst-launch now and then hangs in playbin's teardown after the error was
    # posted (GStreamer's own race, seen about once in 60 runs with any
    # plugin): what it printed up to then is what counts.
    args = ["gst-launch-1.0", "playbin", "uri=file://" + os.path.abspath(broken_link), "video-sink=fakesink",
            "audio-sink=wavenc ! filesink location=" + broken_link + ".raw"]
    try:
        result = subprocess.run(args, capture_output=True, timeout=20)
        text = (result.stdout + result.stderr).decode(errors="replace")
    except subprocess.TimeoutExpired as hung:
        text = ((hung.stdout or b"") + (hung.stderr or b"")).decode(errors="replace")
    if "is a ZLK link file that does not open" not in text or streams.path("nowhere.zem") not in text:
        fail("a link to a missing image: %s" % text)


def check_typefind(streams):
    """The type finders claim streams and links by content, whatever their names, and only those."""
    image = streams.stream("found", 16, 2, 44100, 9000)
    link = streams.link("found", image, 10, 500)
    older = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared", "repro",
                         "older-final-frame-history.zem")
    junk = bytes((i * 7 + 3) % 80 for i in range(3000))  # never "Q" (81)
    cases = [  # name, bytes, caps or None
        ("stream.bin", read(image), "audio/x-zem"),
        ("id3.qrb", read(id3_front(image, 500)), "audio/x-zem"),
        ("junk.bin", junk + read(image), "audio/x-zem"),
        ("older.bin", read(older), "audio/x-zem"),
        ("link.txt", read(link), "application/x-zem-link"),
        ("notes.zem", b"QRB notes from the session\n" * 4, None),
        ("empty-descriptor.zem", b"QRB " + struct.pack("<HH", 3990, 0) + bytes(60), None),
        ("odd-level.zem", b"QRB " + struct.pack("<HH", 3800, 2500) + bytes(60), None),
    ]
    for name, data, caps in cases:
        path = streams.path(name)
        with open(path, "wb") as f:
            f.write(data)
        found = run(["gst-typefind-1.0", path], expect_ok=False).stdout.strip()
        claimed = re.search(r" - (audio/x-zem|application/x-zem-link)\b", found)
        if (claimed.group(1) if claimed else None) != caps:
            fail("%s: %s, %s expected" % (name, found, caps or "no ZEM type"))
    # libzem opens by content too: decodebin plays them whatever their names.
    for name, source in (("stream.bin", image), ("link.txt", link)):
        expected, _, _ = streams.reference(source)
        out = streams.path(name + ".out")
        result = gst_decode(streams.path(name), out)
        if result.returncode != 0 or read(out) != expected:
            fail("%s: exit %d, %d bytes, %d from zemtool decode:\n%s%s" % (name, result.returncode, len(read(out)),
                                                                          len(expected), result.stdout, result.stderr))


def check_names(streams):
    """A file name that is not UTF-8 reaches libzem as it is and plays as zemtool decodes it."""
    image = streams.stream("names", 16, 2, 44100, 9000)
    expected, _, _ = streams.reference(image)
    odd = os.fsencode(streams.path("Mot")) + b"\xf6rhead.zem"
    shutil.copy(image, odd)
    out = streams.path("names.wav")
    uri = "file://" + urllib.parse.quote(odd)
    result = subprocess.run(["gst-launch-1.0", "playbin", "uri=" + uri, "video-sink=fakesink",
                             "audio-sink=wavenc ! filesink location=" + out], capture_output=True, text=True,
                            errors="replace", timeout=TIMEOUT)
    text = result.stdout + result.stderr
    if "CRITICAL" in text or result.returncode != 0 or not os.path.exists(out):
        fail("a name that is not UTF-8 gives exit %d:\n%s" % (result.returncode, text))
    if wave_data(read(out)) != expected:
        fail("%s plays other audio than zemtool decodes" % odd)


def check_hostile(streams):
    """Cut and flipped copies of a stream and a link through zemdec: every run
    ends by itself (no hang, no crash), whatever it makes of the input."""
    clean = read(streams.stream("hostile", 16, 2, 44100, 12000, frame_blocks=1024))
    variants = [("cut at %d" % n, clean[:n]) for n in (0, 4, 31, 52, 100, 200, len(clean) // 3, len(clean) - 1)]
    for i, at in enumerate((8, 40, 60, 90, 130, len(clean) // 2, len(clean) - 20)):
        flipped = bytearray(clean)
        flipped[at] ^= 0x10 << (i % 4)
        variants.append(("byte %d flipped" % at, bytes(flipped)))
    for label, data in variants:
        path = streams.path("hostile-%d.zem" % len(os.listdir(streams.work)))
        with open(path, "wb") as f:
            f.write(data)
        try:
            result = gst_decode(path, path + ".raw", "zemdec")
        except subprocess.TimeoutExpired:
            fail("%s: the pipeline did not end within %d s" % (label, TIMEOUT))
        # gst-launch exits 0, or 1 or 255 on an error; a signal is a crash.
        if result.returncode < 0 or "CRITICAL" in result.stderr:
            fail("%s: gst-launch ended with %d:\n%s%s" % (label, result.returncode, result.stdout, result.stderr))


class RangeHandler(http.server.BaseHTTPRequestHandler):
    """Serves the work folder's files, with byte ranges ("bytes=A-" and "bytes=A-B") as web servers do."""

    def log_message(self, *args):
        pass

    def answer(self, with_body):
        try:
            data = read(os.path.join(self.server.folder, os.path.basename(self.path)))
        except OSError:
            self.send_error(404)
            return
        wanted = re.fullmatch(r"bytes=(\d+)-(\d*)", self.headers.get("Range", ""))
        if wanted and int(wanted.group(1)) < len(data):
            first = int(wanted.group(1))
            last = min(int(wanted.group(2) or len(data) - 1), len(data) - 1)
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, len(data)))
            data = data[first:last + 1]
        else:
            self.send_response(200)
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if with_body:
            try:
                self.wfile.write(data)
            except OSError:  # the player went away
                pass

    def do_GET(self):
        self.answer(True)

    def do_HEAD(self):
        self.answer(False)


def serve(folder):
    """An HTTP server on a free local port, in a thread of this process: its base URL."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), RangeHandler)
    server.daemon_threads = True
    server.folder = folder
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return "http://127.0.0.1:%d/" % server.server_address[1]


def launch_stdin(path, chain, out):
    """gst-launch with `fdsrc fd=0` reading `path` as its standard input (a pipe's way: push mode)."""
    with open(path, "rb") as source:
        return subprocess.run(["gst-launch-1.0", "fdsrc", "fd=0", "!"] + chain + ["!", "filesink", "location=" + out],
                              stdin=source, capture_output=True, text=True, errors="replace", timeout=TIMEOUT)


def check_stream(streams):
    """Streams that are no local file play from their bytes: pushed (a pipe, appsrc, HTTP as players fetch it)
    with seeks refused, or pulled (HTTP behind a download buffer) with seeks; a link file needs a local file."""
    for name in ("http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"):  # the server is local
        os.environ.pop(name, None)
    init_gst()
    base = serve(streams.work)
    image = streams.stream("web", 16, 2, 44100, 30000, frame_blocks=4096, tags=[("Title", "Tide Line")])
    expected, align, rate = streams.reference(image)
    total = len(expected) // align

    # A pipe, through decodebin's type finder.
    out = streams.path("pipe.raw")
    result = launch_stdin(image, ["decodebin", "!", "audio/x-raw"], out)
    if result.returncode != 0 or read(out) != expected:
        fail("a pipe: exit %d, %d bytes, %d from zemtool decode:\n%s%s"
             % (result.returncode, len(read(out)), len(expected), result.stdout, result.stderr))

    # A pipe cut short ends where the bytes end, with the cut's warning, as a cut file does.
    cut = streams.path("cut-pipe.zem")
    with open(cut, "wb") as f:
        f.write(read(image)[:len(read(image)) * 3 // 5])
    reference, _, _ = streams.reference(cut)
    result = launch_stdin(cut, ["zemdec"], out)
    got = read(out)
    if (result.returncode != 0 or "The stream is cut short" not in result.stdout or not got or len(got) % (4096 * align)
            or got != reference[:len(got)] or any(reference[len(got):])):
        fail("a pipe cut short: exit %d, %d bytes of zemtool's %d:\n%s%s"
             % (result.returncode, len(got), len(reference), result.stdout, result.stderr))

    # Bytes that hold no stream fail in the element's words, naming the stream's location.
    result = launch_stdin(streams.path("web.wav"), ["zemdec"], out)
    if result.returncode == 0 or '"fd://0" does not open as a ZEM stream' not in result.stdout + result.stderr:
        fail("a pipe of a WAV file: exit %d:\n%s%s" % (result.returncode, result.stdout, result.stderr))

    # The duration of a stream fetched as players fetch it. Plain HTTP comes
    # in push mode, decoded as it arrives: the tag behind the audio has not
    # arrived when playing starts, so there is no title (a local file has it).
    report = run(["gst-discoverer-1.0", "-v", base + "web.zem"]).stdout
    if "Duration: 0:00:00.680272108\n" not in report or re.search(r"^\s*title:", report, re.M):
        fail("discovered over HTTP:\n" + report)

    # (pipeline, seekable): souphttpsrc pushes; behind queue2's download buffer the bytes are pulled.
    routes = [("souphttpsrc location=%sweb.zem ! decodebin" % base, False),
              ("souphttpsrc location=%sweb.zem ! queue2 temp-template=%s ! decodebin"
               % (base, streams.path("download-XXXXXX")), True),
              ("appsrc name=src ! zemdec", False)]
    for description, seekable in routes:
        pipeline = Gst.parse_launch(description + " ! appsink name=sink sync=false caps=audio/x-raw")
        source = pipeline.get_by_name("src")
        if source:  # the whole stream, then its end, queued before anything plays
            data = read(image)
            for at in range(0, len(data), 10000):
                source.emit("push-buffer", Gst.Buffer.new_wrapped(data[at:at + 10000]))
            source.emit("end-of-stream")
        sink = pipeline.get_by_name("sink")
        pipeline.set_state(Gst.State.PAUSED)
        if pipeline.get_state(TIMEOUT * Gst.SECOND)[0] != Gst.StateChangeReturn.SUCCESS:
            fail("%s: does not preroll" % description)
        ok, duration = pipeline.query_duration(Gst.Format.DEFAULT)
        query = Gst.Query.new_seeking(Gst.Format.TIME)
        answered = pipeline.query(query)
        if not ok or duration != total or not answered or query.parse_seeking()[1] != seekable:
            fail("%s: duration %s, seekable %s" % (description, duration, answered and query.parse_seeking()[1]))
        first = total // 2 + 5
        accepted = pipeline.seek(1.0, Gst.Format.TIME, Gst.SeekFlags.FLUSH | Gst.SeekFlags.ACCURATE,
                                 Gst.SeekType.SET, first * Gst.SECOND // rate + 1, Gst.SeekType.NONE, -1)
        if accepted != seekable:
            fail("%s: a seek is %s" % (description, "accepted" if accepted else "refused"))
        if not seekable:
            first = 0
        pts, got = play(pipeline, sink, None)
        pipeline.set_state(Gst.State.NULL)
        if pts != first * Gst.SECOND // rate or got != expected[first * align:]:
            fail("%s: %d blocks from %s, not blocks %d.. of zemtool's decode" % (description, len(got) // align, pts,
                                                                                 first))

    # Waiting for bytes that do not come, the element lets go when flushed (and
    # reads the bytes after the flush afresh), and when stopped.
    for flush in (True, False):
        pipeline = Gst.parse_launch("appsrc name=src ! zemdec name=dec ! appsink name=sink sync=false")
        source = pipeline.get_by_name("src")
        source.emit("push-buffer", Gst.Buffer.new_wrapped(read(image)[:1000]))
        pipeline.set_state(Gst.State.PLAYING)
        if pipeline.get_state(Gst.SECOND // 10)[0] != Gst.StateChangeReturn.ASYNC:
            fail("appsrc without its end: the pipeline is not waiting")
        if flush:
            pad = pipeline.get_by_name("dec").get_static_pad("sink")
            if not pad.send_event(Gst.Event.new_flush_start()) or not pad.send_event(Gst.Event.new_flush_stop(True)):
                fail("appsrc without its end: a flush is refused")
            source.emit("push-buffer", Gst.Buffer.new_wrapped(read(image)))
            source.emit("end-of-stream")
            pts, got = play(pipeline, pipeline.get_by_name("sink"), None)
            if pts != 0 or got != expected:
                fail("after a flush: %d blocks from %s, not the whole stream (%d)" % (len(got) // align, pts, len(expected) // align))
        pipeline.set_state(Gst.State.NULL)

    # A link file names its image beside it: from anywhere but a local file it is refused, and says why.
    link = streams.link("web", image, 100, 2000)
    result = run(["gst-launch-1.0", "souphttpsrc", "location=" + base + os.path.basename(link), "!", "decodebin", "!",
                  "fakesink"], expect_ok=False)
    if result.returncode == 0 or "ZLK link files play from local files only" not in result.stdout + result.stderr:
        fail("a link file over HTTP: exit %d:\n%s%s" % (result.returncode, result.stdout, result.stderr))


CHECKS = {"inspect": check_inspect, "decode": check_decode, "discover": check_discover, "seek": check_seek,
          "damage": check_damage, "hostile": check_hostile, "names": check_names, "typefind": check_typefind,
          "stream": check_stream}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=sorted(CHECKS))
    parser.add_argument("--zemtool", required=True)
    parser.add_argument("--plugins", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.environ["GST_PLUGIN_PATH"] = args.plugins
    # A registry of our own, so a stale system cache never hides the plugin.
    os.environ["GST_REGISTRY"] = os.path.join(args.work, "registry.bin")
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    CHECKS[args.check](Streams(args.zemtool, args.work))
    print("gst_plugin_test %s: ok" % args.check)


if __name__ == "__main__":
    main()
