# SPDX-License-Identifier: BSD-3-Clause
"""The zem package against zemtool: reading, slicing, writing, tags, tracks."""
import io
import re
import shutil
import subprocess
import warnings

import numpy as np
import pytest

import zem


def run(zemtool, *args, check=True) -> str:
    return subprocess.run([zemtool, *map(str, args)], check=check, capture_output=True, text=True).stdout


def wav_bytes(samples: np.ndarray, bits: int, rate: int) -> bytes:
    """A PCM WAV file of integer samples (frames, channels) of `bits` bits."""
    channels = samples.shape[1]
    flat = samples.reshape(-1).astype(np.int64)
    if bits == 8:
        pcm = (flat + 128).astype(np.uint8).tobytes()
    else:
        width = bits // 8
        pcm = b"".join(int(v).to_bytes(width, "little", signed=True) for v in flat)
    align = channels * bits // 8
    fmt = (b"fmt " + (16).to_bytes(4, "little") + (1).to_bytes(2, "little") + channels.to_bytes(2, "little")
           + rate.to_bytes(4, "little") + (rate * align).to_bytes(4, "little") + align.to_bytes(2, "little")
           + bits.to_bytes(2, "little"))
    body = b"WAVE" + fmt + b"data" + len(pcm).to_bytes(4, "little") + pcm
    return b"RIFF" + len(body).to_bytes(4, "little") + body


def decoded_samples(zemtool, source, tmp_path, check=True):
    """What `zemtool decode` makes of source: (samples as int64 (frames, channels), bits, rate)."""
    out = tmp_path / "decoded.wav"
    run(zemtool, "decode", source, out, check=check)
    data = out.read_bytes()
    pos, fmt, pcm = 12, None, None
    while pos + 8 <= len(data):
        kind, size = data[pos:pos + 4], int.from_bytes(data[pos + 4:pos + 8], "little")
        if kind == b"fmt ":
            fmt = data[pos + 8:pos + 24]
        elif kind == b"data":
            pcm = data[pos + 8:pos + 8 + size]
        pos += 8 + size + (size & 1)
    channels, rate, bits = (int.from_bytes(fmt[2:4], "little"), int.from_bytes(fmt[4:8], "little"),
                            int.from_bytes(fmt[14:16], "little"))
    raw = np.frombuffer(pcm, dtype=np.uint8).astype(np.int64)
    if bits == 8:
        values = raw - 128
    else:
        width = bits // 8
        values = sum(raw[i::width] << (8 * i) for i in range(width))
        values = np.where(values >= 1 << (bits - 1), values - (1 << bits), values)
    return values.reshape(-1, channels), bits, rate


def forged(zemtool, tmp_path, bits, channels, rate, frames=30000, seed=1):
    """A stream encoded by zemtool from a noisy tone of the given shape."""
    rng = np.random.default_rng(seed)
    top = (1 << (bits - 1)) - 1
    t = np.arange(frames)[:, None] * (1 + np.arange(channels))[None, :]
    tone = np.sin(t * 0.01) * top * 0.8 + rng.integers(-top // 8, top // 8, (frames, channels))
    samples = np.clip(np.rint(tone), -top - 1, top).astype(np.int64)
    wav = tmp_path / f"in{bits}-{channels}.wav"
    wav.write_bytes(wav_bytes(samples, bits, rate))
    stream = tmp_path / f"forged{bits}-{channels}.zem"
    run(zemtool, "encode", wav, stream)
    return stream, samples


def album_link(zemtool, album, tmp_path, track=2):
    shutil.copy(album, tmp_path)
    shutil.copy(album.with_suffix(".cue"), tmp_path)
    run(zemtool, "links", tmp_path / "Tallowmere.cue")
    return sorted(tmp_path.glob("*.zlk"))[track - 1]


@pytest.mark.parametrize("bits,channels,rate", [(8, 1, 8000), (16, 2, 44100), (24, 2, 96000), (24, 1, 48000)])
def test_read_equals_decode_of_forged_streams(zemtool, tmp_path, bits, channels, rate):
    stream, samples = forged(zemtool, tmp_path, bits, channels, rate)
    expected, _, _ = decoded_samples(zemtool, stream, tmp_path)
    assert np.array_equal(expected, samples)
    data, samplerate = zem.read(stream, dtype="int32", always_2d=True)
    assert samplerate == rate
    assert np.array_equal(data.astype(np.int64) >> (32 - bits), expected)
    short, _ = zem.read(stream, dtype="int16", always_2d=True)
    assert np.array_equal(short, (expected << 16 >> bits).astype(np.int16))
    floats, _ = zem.read(stream, dtype="float64", always_2d=True)
    assert np.array_equal(floats, expected / 2.0 ** (bits - 1))
    info = zem.info(stream)
    assert (info.samplerate, info.channels, info.bits, info.frames) == (rate, channels, bits, len(samples))


@pytest.mark.parametrize("name", ["refill-3940.zem", "tiny-frames-5000.zem"])
def test_read_equals_decode_of_shared_streams(zemtool, repro, tmp_path, name):
    expected, bits, _ = decoded_samples(zemtool, repro / name, tmp_path)
    data, _ = zem.read(repro / name, dtype="int32", always_2d=True)
    assert np.array_equal(data.astype(np.int64) >> (32 - bits), expected)


def test_read_of_a_link_is_its_track(zemtool, album, tmp_path):
    link = album_link(zemtool, album, tmp_path)
    expected, _, _ = decoded_samples(zemtool, link, tmp_path)
    data, rate = zem.read(link)
    assert rate == 44100 and len(data) == len(expected) > 0
    assert np.array_equal(data, expected)


@pytest.mark.parametrize("kwargs,first,end", [
    (dict(start=1000, stop=5000), 1000, 5000),
    (dict(start=1000, frames=10), 1000, 1010),
    (dict(start=-300), 29700, 30000),
    (dict(start=29990, frames=100), 29990, 30000),
    (dict(stop=-29999), 0, 1),
    (dict(start=40000), 30000, 30000),
])
def test_slices(zemtool, tmp_path, kwargs, first, end):
    stream, samples = forged(zemtool, tmp_path, 16, 2, 44100)
    data, _ = zem.read(stream, **kwargs)
    assert np.array_equal(data, samples[first:end])


@pytest.mark.parametrize("blocksize,overlap,frames", [(4096, 0, -1), (5000, 1000, -1), (1000, 999, 3000), (7, 3, 20)])
def test_blocks_overlap(zemtool, tmp_path, blocksize, overlap, frames):
    stream, samples = forged(zemtool, tmp_path, 16, 1, 22050)
    got = list(zem.blocks(stream, blocksize, overlap=overlap, frames=frames, start=5))
    total = len(samples) - 5 if frames < 0 else frames
    step = blocksize - overlap
    assert all(len(b) == blocksize for b in got[:-1])
    for i, block in enumerate(got):
        assert np.array_equal(block, samples[5 + i * step:5 + i * step + len(block), 0])
    assert 5 + (len(got) - 1) * step + len(got[-1]) == 5 + total


@pytest.mark.parametrize("dtype,bits,scale", [("int16", 16, 1), ("int32", 24, 256), ("float32", 16, 1 / 32768),
                                              ("float64", 24, 1 / 2**23), ("float32", 8, 1 / 128)])
@pytest.mark.parametrize("rate,channels", [(8000, 1), (44100, 2), (192000, 2)])
def test_write_read_round_trip(tmp_path, dtype, bits, scale, rate, channels):
    rng = np.random.default_rng(rate)
    top = 1 << (bits - 1)
    ints = rng.integers(-top, top, (20000, channels))
    ints[:2] = [[-top] * channels, [top - 1] * channels]
    data = (ints * scale).astype(dtype) if dtype.startswith("float") else (ints * (scale << (16 - bits) if dtype == "int16" else scale)).astype(dtype)
    path = tmp_path / "out.zem"
    zem.write(path, data if channels > 1 else data[:, 0], rate, bits=bits, level=3000)
    back, samplerate = zem.read(path, dtype=dtype, always_2d=True)
    assert samplerate == rate and zem.info(path).bits == bits
    assert np.array_equal(back, data)
    assert not list(tmp_path.glob("*.partial"))


def test_write_clips_floats_with_a_warning(tmp_path):
    path = tmp_path / "clip.zem"
    with pytest.warns(RuntimeWarning, match="clipped"):
        zem.write(path, np.array([1.5, -2.0, 0.5, 1.0, -1.0]), 44100)
    assert zem.read(path)[0].tolist() == [32767, -32768, 16384, 32767, -32768]
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        zem.write(path, np.array([0.25, -1.0], dtype=np.float32), 44100)


def test_write_failure_leaves_the_old_file(tmp_path):
    path = tmp_path / "keep.zem"
    path.write_bytes(b"old")
    with pytest.raises(zem.ZemError) as caught:
        zem.write(path, np.zeros((10, 3), dtype=np.int16), 44100)
    assert caught.value.code == zem.ZEM_ERROR_UNSUPPORTED and path.read_bytes() == b"old"


def test_tags_round_trip_with_zemtool(zemtool, tmp_path):
    stream, _ = forged(zemtool, tmp_path, 16, 2, 44100, frames=2000)
    with zem.Tag(stream) as tag:
        tag["Title"] = "Łódź ☃"
        tag["Artist"] = "Corvane"
        tag.pictures["Cover Art (Front)"] = b"x.png\0\x89PNG\x00\xff"
        tag.save()
    listed = run(zemtool, "tag", stream).splitlines()
    assert "Title=Łódź ☃" in listed and "Artist=Corvane" in listed
    run(zemtool, "tag", stream, "--set", "Year=1999", "--delete", "Artist")
    tag = zem.Tag(stream)
    assert dict(tag) == {"Title": "Łódź ☃", "Year": "1999"} and tag["title"] == "Łódź ☃"
    assert dict(tag.pictures) == {"Cover Art (Front)": b"x.png\0\x89PNG\x00\xff"}
    del tag["Title"]
    with pytest.raises(KeyError):
        del tag["Title"]
    tag.save()
    assert zem.info(stream).tags == {"Year": "1999"}


def test_damaged_frame_raises_or_reads_as_silence(zemtool, tmp_path):
    stream, samples = forged(zemtool, tmp_path, 16, 2, 44100, frames=300000)
    data = bytearray(stream.read_bytes())
    for i in range(len(data) // 2, len(data) // 2 + 16):
        data[i] ^= 0x5A
    stream.write_bytes(bytes(data))
    with pytest.raises(zem.ZemError) as caught:
        zem.read(stream)
    assert caught.value.code == zem.ZEM_ERROR_BAD_FRAME
    assert re.search(r": blocks \d+ to \d+ \(frame \d+ failed its check\)", str(caught.value)), str(caught.value)
    got, _ = zem.read(stream, errors="silence")
    expected, _, _ = decoded_samples(zemtool, stream, tmp_path, check=False)
    assert np.array_equal(got, expected)
    bad = np.any(got != samples, axis=1)
    assert bad.any() and not got[bad].any()
    # Blocks that end inside the damaged frame: the rest of it still reads as silence.
    for source in (stream, Unseekable(stream.read_bytes())):
        with zem.File(source, errors="silence") as f:
            assert np.array_equal(np.concatenate(list(f.blocks(7000))), expected)


class Unseekable(io.RawIOBase):
    """A pipe-like reader: read() only."""

    def __init__(self, data):
        self._data = io.BytesIO(data)
        self.calls = 0

    def readable(self):
        return True

    def read(self, size=-1):
        self.calls += 1
        return self._data.read(size)


@pytest.mark.parametrize("kind", ["bytes", "seekable", "unseekable"])
def test_sources_other_than_paths(zemtool, tmp_path, kind):
    stream, samples = forged(zemtool, tmp_path, 16, 2, 44100)
    data = stream.read_bytes()
    source = {"bytes": data, "seekable": io.BytesIO(data), "unseekable": Unseekable(data)}[kind]
    with zem.File(source) as f:
        assert f.seekable() == (kind != "unseekable")
        assert np.array_equal(f.read(1000), samples[:1000])
        assert np.array_equal(f.read(), samples[1000:])
        if kind == "unseekable":
            with pytest.raises(zem.ZemError):
                f.seek(0)
        else:
            f.seek(-10, io.SEEK_END)
            assert f.tell() == 29990 and np.array_equal(f.read(), samples[-10:])


def test_cue_tracks_and_links(zemtool, album, tmp_path):
    sheet = zem.cue(album.with_suffix(".cue"))
    assert [t.number for t in sheet.tracks] == list(range(1, len(sheet) + 1)) and len(sheet) > 1
    assert sheet.tracks[0].start == 0 and sheet.tracks[-1].stop is None
    assert all(a.stop == b.start for a, b in zip(sheet.tracks, sheet.tracks[1:]))
    assert sheet.write_links("TRACK# TITLE", tmp_path) == len(sheet)
    image, _ = zem.read(album)
    for track in sheet:
        link = tmp_path / f"{track.number:02d} {track.title}.zlk"
        assert np.array_equal(zem.read(link)[0], image[track.start:track.stop])


def test_errors_carry_code_and_text(tmp_path):
    with pytest.raises(zem.ZemError) as caught:
        zem.read(tmp_path / "missing.zem")
    assert caught.value.code == zem.ZEM_ERROR_CANNOT_OPEN and caught.value.text and "missing.zem" in str(caught.value)
    with pytest.raises(zem.ZemError) as caught:
        zem.File(b"not a stream at all")
    assert caught.value.code == zem.ZEM_ERROR_BAD_INPUT
