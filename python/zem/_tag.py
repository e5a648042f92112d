# SPDX-License-Identifier: BSD-3-Clause
"""Tags (zem.Tag) and cue sheets (zem.cue)."""
from __future__ import annotations

import ctypes
import os
from collections.abc import MutableMapping
from dataclasses import dataclass
from typing import Dict, Iterator, List, Optional

from . import _lib
from ._lib import ZemError, lib


def _open_tag(path: bytes) -> int:
    error = ctypes.c_int(0)
    handle = lib.zem_tag_open(path, ctypes.byref(error))
    if not handle:
        raise ZemError(error.value, os.fsdecode(path))
    return handle


def _names(handle: int) -> List[str]:
    count = _lib.check(lib.zem_tag_count(handle))
    return [lib.zem_tag_name(handle, i).decode("utf-8", "replace") for i in range(count)]


def read_text_items(path: bytes) -> Dict[str, str]:
    """The text items of the tag at the end of a file, in stored order."""
    handle = _open_tag(path)
    try:
        found = {}
        for name in _names(handle):
            value = lib.zem_tag_get(handle, name.encode())
            if value is not None:
                found[name] = value.decode("utf-8", "replace")
        return found
    finally:
        lib.zem_tag_close(handle)


class _Binary(MutableMapping):
    """The binary items of a Tag (cover pictures and the like), as bytes."""

    def __init__(self, tag: "Tag") -> None:
        self._tag = tag

    def __getitem__(self, name: str) -> bytes:
        if name not in self._tag._binary_names():
            raise KeyError(name)
        return self._tag._raw(name)

    def __setitem__(self, name: str, value: bytes) -> None:
        data = bytes(value)
        _lib.check(lib.zem_tag_set_binary(self._tag._live(), name.encode(), data, len(data)), name)

    def __delitem__(self, name: str) -> None:
        if name not in self._tag._binary_names():
            raise KeyError(name)
        _lib.check(lib.zem_tag_set_binary(self._tag._live(), name.encode(), None, 0), name)

    def __iter__(self) -> Iterator[str]:
        return iter(self._tag._binary_names())

    def __len__(self) -> int:
        return len(self._tag._binary_names())


class Tag(MutableMapping):
    """The tag of a stream or link file as a mutable mapping of its text items.

    Names compare without regard to ASCII case, as the library compares them.
    Binary items (pictures) are in `pictures`, a mapping of name to bytes.
    Changes stay in memory until save(), which writes the whole tag or nothing
    and never touches the audio; a tag left without items is removed.

        with zem.Tag("song.zem") as t:
            t["Title"] = "Intro"
            t.save()
    """

    def __init__(self, path) -> None:
        self._handle: Optional[int] = None
        self.path = os.fsdecode(_lib.path_bytes(path))
        self._handle = _open_tag(_lib.path_bytes(path))
        self.pictures: MutableMapping[str, bytes] = _Binary(self)

    def _live(self) -> int:
        if self._handle is None:
            raise ValueError("operation on a closed zem.Tag")
        return self._handle

    def _raw(self, name: str) -> bytes:
        handle = self._live()
        size = _lib.check(lib.zem_tag_get_binary(handle, name.encode(), None, 0), name)
        buffer = ctypes.create_string_buffer(max(size, 1))
        lib.zem_tag_get_binary(handle, name.encode(), buffer, size)
        return buffer.raw[:size]

    def _binary_names(self) -> List[str]:
        handle = self._live()
        return [n for n in _names(handle) if lib.zem_tag_get(handle, n.encode()) is None]

    def __getitem__(self, name: str) -> str:
        value = lib.zem_tag_get(self._live(), name.encode())
        if value is None:
            raise KeyError(name)
        return value.decode("utf-8")

    def __setitem__(self, name: str, value: str) -> None:
        if not isinstance(value, str):
            raise TypeError("tag values are text; binary items go into pictures")
        if value == "":
            raise ValueError("an empty value removes the item: use del instead")
        _lib.check(lib.zem_tag_set(self._live(), name.encode(), value.encode("utf-8")), name)

    def __delitem__(self, name: str) -> None:
        self[name]  # KeyError for a missing item
        _lib.check(lib.zem_tag_set(self._live(), name.encode(), None), name)

    def __iter__(self) -> Iterator[str]:
        handle = self._live()
        return iter([n for n in _names(handle) if lib.zem_tag_get(handle, n.encode()) is not None])

    def __len__(self) -> int:
        return sum(1 for _ in self)

    def save(self) -> None:
        """Writes the tag into the file, whole or not at all; raises ZemError when refused."""
        _lib.check(lib.zem_tag_save(self._live()), self.path)

    def close(self) -> None:
        """Frees the tag, dropping unsaved changes."""
        if self._handle is not None:
            lib.zem_tag_close(self._handle)
            self._handle = None

    def __enter__(self) -> "Tag":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"zem.Tag({self.path!r}, {dict(self) if self._handle else 'closed'})"


@dataclass(frozen=True)
class Track:
    """One audio track of a cue sheet: its blocks in the image run from start up to stop (None: the end)."""

    number: int
    title: str
    performer: str
    start: int
    stop: Optional[int]


class Cue:
    """A cue sheet read by zem.cue(): the image it names and its tracks."""

    def __init__(self, path) -> None:
        self._handle: Optional[int] = None
        error = ctypes.c_int(0)
        self._handle = lib.zem_cue_open(_lib.path_bytes(path), ctypes.byref(error))
        if not self._handle:
            raise ZemError(error.value, os.fsdecode(_lib.path_bytes(path)))
        self.image: str = lib.zem_cue_image(self._handle).decode("utf-8")
        self.tracks: List[Track] = []
        entry = _lib.CueTrack()
        for i in range(_lib.check(lib.zem_cue_track_count(self._handle))):
            _lib.check(lib.zem_cue_get_track(self._handle, i, ctypes.byref(entry)))
            self.tracks.append(Track(entry.number, entry.title.decode("utf-8"), entry.performer.decode("utf-8"),
                                     entry.start_block, entry.finish_block if entry.finish_block >= 0 else None))

    def write_links(self, template: Optional[str] = None, folder=None) -> int:
        """Writes a link file per track, as `zemtool links` does; returns how many were written.

        template names them (default "ARTIST - ALBUM - TRACK# - TITLE");
        folder defaults to the sheet's own.
        """
        if self._handle is None:
            raise ValueError("operation on a closed zem.Cue")
        t = template.encode("utf-8") if template is not None else None
        f = _lib.path_bytes(folder) if folder is not None else None
        return _lib.check(lib.zem_cue_write_links(self._handle, t, f), "writing links")

    def close(self) -> None:
        """Frees the sheet."""
        if self._handle is not None:
            lib.zem_cue_close(self._handle)
            self._handle = None

    def __del__(self) -> None:
        self.close()

    def __iter__(self) -> Iterator[Track]:
        return iter(self.tracks)

    def __len__(self) -> int:
        return len(self.tracks)

    def __repr__(self) -> str:
        return f"zem.Cue(image={self.image!r}, {len(self.tracks)} tracks)"


def cue(path) -> Cue:
    """The tracks of a cue sheet, or of the sheet an image carries in its tag."""
    return Cue(path)
