# SPDX-License-Identifier: BSD-3-Clause
"""Reading, writing and tagging ZEM audio streams as NumPy arrays, through libzem.

Reading gives ``(data, samplerate)``; data has one row per block (a sample of
every channel) and one column per channel, or is one-dimensional for mono
unless ``always_2d=True``:

    import zem
    data, rate = zem.read("album.zem", dtype="float32")
    part, rate = zem.read("track.zlk", start=44100, stop=88200)
    for block in zem.blocks("album.zem", blocksize=4096, overlap=512):
        ...
    zem.write("copy.zem", data, rate, level=3000)

Integers are left-justified: ``int16`` holds the top 16 bits of each sample,
``int32`` the sample shifted to the top of 32 bits; floats are the samples
over ``2**(bits - 1)``, in [-1, 1). ``.zem`` and ``.qrb`` files are streams;
a ``.zlk`` link file reads as the track it names in its image.

Tags: ``zem.Tag(path)`` is a mutable mapping of the text items, with binary
items in ``.pictures``; ``save()`` writes the tag whole or not at all.
Tracks: ``zem.cue(path)`` reads a cue sheet, or the one an image carries, and
``write_links()`` makes a link file per track.

Failures raise ``zem.ZemError`` with the library's ``code`` and ``text``. A
damaged frame raises, naming its blocks, unless ``errors="silence"``.

The library is ``$ZEM_LIBRARY`` when set, else a libzem.so inside this
package, else the system's libzem.so.1.
"""
from ._file import File, Info, blocks, info, read
from ._lib import (ZEM_ERROR_BAD_FRAME, ZEM_ERROR_BAD_INPUT, ZEM_ERROR_CANNOT_OPEN, ZEM_ERROR_FAILED,
                   ZEM_ERROR_INVALID_ARGUMENT, ZEM_ERROR_NO_MEMORY, ZEM_ERROR_READ_FAILED, ZEM_ERROR_UNSUPPORTED,
                   ZEM_ERROR_TRUNCATED, ZEM_ERROR_PATH_REFUSED, ZEM_ERROR_WRITE_FAILED, ZemError, lib as _library)
from ._tag import Cue, Tag, Track, cue
from ._write import write

__version__ = "1.0.0"

library_version: str = _library.zem_version().decode()
"""The version of the libzem the package loaded."""

__all__ = ["File", "Info", "read", "info", "blocks", "write", "Tag", "cue", "Cue", "Track", "ZemError",
           "library_version", "ZEM_ERROR_FAILED", "ZEM_ERROR_INVALID_ARGUMENT", "ZEM_ERROR_NO_MEMORY",
           "ZEM_ERROR_CANNOT_OPEN", "ZEM_ERROR_BAD_INPUT", "ZEM_ERROR_UNSUPPORTED", "ZEM_ERROR_READ_FAILED",
           "ZEM_ERROR_BAD_FRAME", "ZEM_ERROR_TRUNCATED", "ZEM_ERROR_PATH_REFUSED", "ZEM_ERROR_WRITE_FAILED"]
