# SPDX-License-Identifier: BSD-3-Clause
"""Reading: zem.File, zem.read, zem.info and zem.blocks."""
from __future__ import annotations

import ctypes
import io
import os
from dataclasses import dataclass, field
from typing import Any, Dict, Iterator, Mapping, Optional, Tuple, Union

import numpy as np

from . import _lib
from ._lib import ZemError, lib
from ._pcm import check_dtype, decode

Source = Union[str, bytes, os.PathLike, io.IOBase, Any]

# Fields asked for by name when the source is no file the tag reader can open.
_KNOWN_FIELDS = ("Title", "Artist", "Album", "Year", "Comment", "Track", "Genre")


@dataclass(frozen=True)
class Info:
    """What `zem.info` tells about a stream or a link's track."""

    samplerate: int
    channels: int
    bits: int
    frames: int
    level: int
    version: int
    tags: Dict[str, str] = field(default_factory=dict)

    @property
    def blocks(self) -> int:
        """The same as `frames`: a block is one sample of every channel."""
        return self.frames

    @property
    def duration(self) -> float:
        """The length in seconds."""
        return self.frames / self.samplerate if self.samplerate else 0.0


class _Reader:
    """Adapts a Python file object to the library's callbacks, keeping them alive."""

    def __init__(self, fileobj: Any) -> None:
        self.fileobj = fileobj
        seekable = getattr(fileobj, "seekable", None)
        self.can_seek = bool(seekable()) if callable(seekable) else hasattr(fileobj, "seek")
        self.read_cb = _lib.IO_READ(self._read)
        self.seek_cb = _lib.IO_SEEK(self._seek) if self.can_seek else ctypes.cast(None, _lib.IO_SEEK)
        self.size_cb = _lib.IO_SIZE(self._size) if self.can_seek else ctypes.cast(None, _lib.IO_SIZE)
        self.io = _lib.Io(self.read_cb, self.seek_cb, self.size_cb)
        self.error: Optional[BaseException] = None

    # The callbacks must not let an exception escape into C: they answer with
    # the library's failure value and keep the exception for the caller.
    def _read(self, _user, buffer, size):
        try:
            data = self.fileobj.read(size) or b""
            n = min(len(data), size)
            ctypes.memmove(buffer, data, n)
            return n
        except BaseException as e:  # noqa: B036 - reported after the call
            self.error = e
            return -1

    def _seek(self, _user, offset):
        try:
            self.fileobj.seek(offset)
            return 0
        except BaseException as e:
            self.error = e
            return -1

    def _size(self, _user):
        try:
            here = self.fileobj.tell()
            end = self.fileobj.seek(0, io.SEEK_END)
            self.fileobj.seek(here)
            return end
        except BaseException:
            return -1


class File:
    """An open ZEM stream (``.zem``, ``.qrb``) or link file's track (``.zlk``).

    `source` is a path, a ``bytes`` object holding a stream, or a binary file
    object (one without seeking is decoded front to back as its bytes arrive,
    without the tag behind its audio, and cannot seek). `errors` says what
    reading does with a damaged frame: ``'strict'`` raises ZemError naming its
    blocks, ``'silence'`` gives zeros for them.

        with zem.File("album.zem") as f:
            head = f.read(44100, dtype="float32")
    """

    def __init__(self, source: Source, errors: str = "strict") -> None:
        self._handle: Optional[int] = None
        if errors not in ("strict", "silence"):
            raise ValueError("errors must be 'strict' or 'silence'")
        self.errors = errors
        self._keep: Any = None
        self._path: Optional[bytes] = None
        self._seekable = True
        # Blocks of a damaged frame that an unseekable source skipped beyond
        # the last read: the next read delivers them as silence first.
        self._owed = 0
        error = ctypes.c_int(0)
        if isinstance(source, (bytes, bytearray, memoryview)):
            self._keep = bytes(source)
            self._handle = lib.zem_open_memory(self._keep, len(self._keep), ctypes.byref(error))
            what = "<bytes>"
        elif hasattr(source, "read"):
            self._keep = _Reader(source)
            self._seekable = self._keep.can_seek
            self._handle = lib.zem_open_io(ctypes.byref(self._keep.io), None, ctypes.byref(error))
            if self._keep.error is not None and not self._handle:
                raise self._keep.error
            what = getattr(source, "name", "<file object>")
        else:
            self._path = _lib.path_bytes(source)
            self._handle = lib.zem_open(self._path, ctypes.byref(error))
            what = os.fsdecode(self._path)
        if not self._handle:
            raise ZemError(error.value, str(what))
        self.name = str(what)
        self._info = _lib.StreamInfo()
        lib.zem_get_info(self._handle, ctypes.byref(self._info))
        self._tags: Optional[Dict[str, str]] = None

    # -- properties --------------------------------------------------------
    @property
    def samplerate(self) -> int:
        """Samples per second."""
        return self._info.sample_rate

    @property
    def channels(self) -> int:
        """Channels per block (1 or 2)."""
        return self._info.channels

    @property
    def bits(self) -> int:
        """Bits per sample as stored (8, 16 or 24)."""
        return self._info.bits_per_sample

    @property
    def frames(self) -> int:
        """The number of blocks (samples of every channel) of the stream or track."""
        return self._info.total_blocks

    @property
    def level(self) -> int:
        """The compression level the stream was made with (1000 to 5000)."""
        return self._info.compression_level

    @property
    def version(self) -> int:
        """The stream's version number (e.g. 3990)."""
        return self._info.version

    @property
    def closed(self) -> bool:
        """True after close()."""
        return self._handle is None

    @property
    def tags(self) -> Mapping[str, str]:
        """The text items of the tag (of the link file itself for a link), read once."""
        if self._tags is None:
            self._tags = self._read_tags()
        return self._tags

    def _read_tags(self) -> Dict[str, str]:
        if self._path is not None:
            from ._tag import read_text_items
            try:
                return read_text_items(self._path)
            except ZemError:
                pass
        found = {}
        for name in _KNOWN_FIELDS:
            value = lib.zem_get_tag(self._live(), name.encode())
            if value is not None:
                found[name] = value.decode("utf-8", "replace")
        return found

    def info(self) -> Info:
        """The stream's properties and tags as an Info."""
        return Info(self.samplerate, self.channels, self.bits, self.frames, self.level, self.version,
                    dict(self.tags))

    def md5(self) -> Optional[bytes]:
        """The MD5 digest the stream stores of its WAV file (the image's for a link), or None."""
        digest = ctypes.create_string_buffer(16)
        if lib.zem_get_md5(self._live(), digest) != 0:
            return None
        return digest.raw

    # -- position ----------------------------------------------------------
    def seekable(self) -> bool:
        """Whether seek() can move (False for a file object without seeking)."""
        return self._seekable

    def tell(self) -> int:
        """The block the next read() starts at."""
        return _lib.check(lib.zem_tell(self._live())) - self._owed

    def seek(self, frames: int, whence: int = io.SEEK_SET) -> int:
        """Moves to a block (from the start, the current block or the end) and returns it."""
        base = {io.SEEK_SET: 0, io.SEEK_CUR: self.tell(), io.SEEK_END: self.frames}[whence]
        target = base + frames
        if not 0 <= target <= self.frames:
            raise ValueError(f"block {target} is outside 0 to {self.frames}")
        if not self._seekable:
            if target == self.tell():
                return target
            raise ZemError(_lib.ZEM_ERROR_UNSUPPORTED, f"{self.name} cannot seek")
        _lib.check(lib.zem_seek(self._live(), target), self.name)
        return target

    # -- reading -----------------------------------------------------------
    def read(self, frames: int = -1, dtype: str = "int16", always_2d: bool = False) -> np.ndarray:
        """Reads up to `frames` blocks (all that are left when negative) from the current block.

        Returns an array of (frames, channels), or (frames,) for mono unless
        `always_2d`; fewer rows at the end. dtype is 'int16', 'int32',
        'float32' or 'float64' (see the package's notes on scaling).
        """
        d = check_dtype(dtype)
        handle = self._live()
        start = self.tell()
        left = self.frames - start
        count = left if frames < 0 else min(frames, left)
        align = self._info.block_align
        raw = np.empty(count * align, dtype=np.uint8)
        base = raw.ctypes.data
        silence = 128 if self.bits == 8 else 0
        done = min(self._owed, count)
        raw[:done * align] = silence
        self._owed -= done
        while done < count:
            n = lib.zem_read(handle, ctypes.c_void_p(base + done * align), count - done)
            if n == 0:
                break
            if n > 0:
                done += n
                continue
            # The library skipped the rest of the failed frame: its blocks
            # are the ones between where this call began and where it stands.
            position = self.tell()
            skipped = max(0, position - (start + done))
            if self.errors == "strict":
                detail = _lib.error_detail(handle)
                where = f"{self.name}: blocks {start + done} to {position - 1}"
                raise ZemError(n, f"{where} ({detail})" if detail else where)
            if skipped == 0:
                break
            beyond = max(0, skipped - (count - done))
            raw[done * align:(done + skipped - beyond) * align] = silence
            done += skipped - beyond
            if beyond and self._seekable:
                # The frame reaches past what was asked: the next read meets
                # the rest of it (and its failure) again.
                lib.zem_seek(handle, start + count)
            else:
                self._owed = beyond
        return decode(raw[:done * align], self.bits, self.channels, d, always_2d)

    def blocks(self, blocksize: int, overlap: int = 0, frames: int = -1, dtype: str = "int16",
               always_2d: bool = False) -> Iterator[np.ndarray]:
        """Yields arrays of `blocksize` blocks, each beginning `overlap` blocks before the previous one's end.

        Reading stops after `frames` new blocks (all that are left when
        negative); the last array may be shorter.
        """
        if blocksize <= 0 or not 0 <= overlap < blocksize:
            raise ValueError("blocksize must be positive and overlap in 0 to blocksize - 1")
        left = self.frames - self.tell() if frames < 0 else min(frames, self.frames - self.tell())
        kept: Optional[np.ndarray] = None
        while left > 0:
            fresh = blocksize - (0 if kept is None else len(kept))
            part = self.read(min(fresh, left), dtype=dtype, always_2d=always_2d)
            if len(part) == 0:
                break
            left -= len(part)
            block = part if kept is None else np.concatenate((kept, part))
            kept = block[len(block) - overlap:] if overlap else block[:0]
            yield block

    # -- lifetime ----------------------------------------------------------
    def _live(self) -> int:
        if self._handle is None:
            raise ValueError("I/O operation on a closed zem.File")
        return self._handle

    def close(self) -> None:
        """Closes the decoder; later calls raise ValueError. Closing twice is harmless."""
        if self._handle is not None:
            lib.zem_close(self._handle)
            self._handle = None
            self._keep = None

    def __enter__(self) -> "File":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self) -> None:
        self.close()

    def __repr__(self) -> str:
        return (f"zem.File({self.name!r}, samplerate={self.samplerate}, channels={self.channels}, "
                f"bits={self.bits}, frames={self.frames})")


def info(path: Source) -> Info:
    """The properties and tags of a stream or link file, without decoding."""
    with File(path) as f:
        return f.info()


def read(path: Source, frames: int = -1, start: int = 0, stop: Optional[int] = None, dtype: str = "int16",
         always_2d: bool = False, errors: str = "strict") -> Tuple[np.ndarray, int]:
    """Reads a stream, link or part of one: returns (data, samplerate).

    Blocks from `start` up to `stop` (exclusive), or `frames` blocks from
    `start`; negative start and stop count from the end. data is (frames,
    channels), or (frames,) for mono unless `always_2d`.
    """
    with File(path, errors=errors) as f:
        first, count = _span(f.frames, frames, start, stop)
        if first:
            f.seek(first)
        return f.read(count, dtype=dtype, always_2d=always_2d), f.samplerate


def blocks(path: Source, blocksize: int, overlap: int = 0, frames: int = -1, start: int = 0,
           stop: Optional[int] = None, dtype: str = "int16", always_2d: bool = False,
           errors: str = "strict") -> Iterator[np.ndarray]:
    """A generator of arrays of `blocksize` blocks that overlap by `overlap` (see File.blocks)."""
    with File(path, errors=errors) as f:
        first, count = _span(f.frames, frames, start, stop)
        if first:
            f.seek(first)
        yield from f.blocks(blocksize, overlap, count, dtype, always_2d)


def _span(total: int, frames: int, start: int, stop: Optional[int]) -> Tuple[int, int]:
    if frames >= 0 and stop is not None:
        raise TypeError("give frames or stop, not both")
    first = start + total if start < 0 else start
    first = min(max(first, 0), total)
    if stop is not None:
        end = stop + total if stop < 0 else stop
        return first, max(0, min(end, total) - first)
    return first, (total - first if frames < 0 else min(frames, total - first))
