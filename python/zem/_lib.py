# SPDX-License-Identifier: BSD-3-Clause
"""Loading libzem and declaring the C functions the package calls."""
from __future__ import annotations

import ctypes
import ctypes.util
import os
from typing import Optional

ZEM_OK = 0
ZEM_ERROR_FAILED = -1
ZEM_ERROR_INVALID_ARGUMENT = -2
ZEM_ERROR_NO_MEMORY = -3
ZEM_ERROR_CANNOT_OPEN = -4
ZEM_ERROR_BAD_INPUT = -5
ZEM_ERROR_UNSUPPORTED = -6
ZEM_ERROR_READ_FAILED = -7
ZEM_ERROR_BAD_FRAME = -8
ZEM_ERROR_TRUNCATED = -9
ZEM_ERROR_PATH_REFUSED = -10
ZEM_ERROR_WRITE_FAILED = -11


class ZemError(Exception):
    """A failure reported by libzem.

    ``code`` is the library's result code (a negative number, one of the
    ``ZEM_ERROR_*`` constants), ``text`` the library's short text for it and
    ``detail`` what more is known (the file, the frame), or an empty string.
    """

    def __init__(self, code: int, detail: str = "") -> None:
        self.code = code
        self.text = error_text(code)
        self.detail = detail
        super().__init__(f"{detail}: {self.text}" if detail else self.text)


ZemError.__module__ = "zem"


class StreamInfo(ctypes.Structure):
    _fields_ = [("version", ctypes.c_uint), ("compression_level", ctypes.c_uint),
                ("sample_rate", ctypes.c_uint), ("channels", ctypes.c_uint),
                ("bits_per_sample", ctypes.c_uint), ("block_align", ctypes.c_uint),
                ("total_blocks", ctypes.c_uint64)]


IO_READ = ctypes.CFUNCTYPE(ctypes.c_long, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_long)
IO_SEEK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_int64)
IO_SIZE = ctypes.CFUNCTYPE(ctypes.c_int64, ctypes.c_void_p)


class Io(ctypes.Structure):
    _fields_ = [("read", IO_READ), ("seek", IO_SEEK), ("size", IO_SIZE)]


class CueTrack(ctypes.Structure):
    _fields_ = [("number", ctypes.c_int), ("title", ctypes.c_char_p), ("performer", ctypes.c_char_p),
                ("start_block", ctypes.c_int64), ("finish_block", ctypes.c_int64)]


class EncoderSettings(ctypes.Structure):
    _fields_ = [("sample_rate", ctypes.c_uint), ("channels", ctypes.c_uint),
                ("bits_per_sample", ctypes.c_uint), ("compression_level", ctypes.c_uint),
                ("threads", ctypes.c_uint), ("verify", ctypes.c_int)]


def _candidates() -> list:
    # An explicit choice first, then a copy shipped inside the package, then
    # whatever the system's loader knows.
    found = []
    env = os.environ.get("ZEM_LIBRARY")
    if env:
        found.append(env)
    here = os.path.dirname(os.path.abspath(__file__))
    for name in ("libzem.so.1", "libzem.so"):
        path = os.path.join(here, name)
        if os.path.exists(path):
            found.append(path)
    system = ctypes.util.find_library("zem")
    if system:
        found.append(system)
    found.append("libzem.so.1")
    return found


def _load() -> ctypes.CDLL:
    errors = []
    for candidate in _candidates():
        try:
            return ctypes.CDLL(candidate)
        except OSError as e:
            errors.append(str(e))
    raise ImportError("libzem could not be loaded (set ZEM_LIBRARY to its path): " + "; ".join(errors))


lib = _load()

_P = ctypes.c_void_p
_S = ctypes.c_char_p
_INT_P = ctypes.POINTER(ctypes.c_int)
_U64_P = ctypes.POINTER(ctypes.c_uint64)

_PROTOTYPES = {
    "zem_open": (_P, [_S, _INT_P]),
    "zem_open_range64": (_P, [_S, ctypes.c_int64, ctypes.c_int64, _INT_P]),
    "zem_open_io": (_P, [ctypes.POINTER(Io), _P, _INT_P]),
    "zem_open_memory": (_P, [_P, ctypes.c_size_t, _INT_P]),
    "zem_get_info": (ctypes.c_int, [_P, ctypes.POINTER(StreamInfo)]),
    "zem_read": (ctypes.c_long, [_P, _P, ctypes.c_long]),
    "zem_seek": (ctypes.c_int, [_P, ctypes.c_uint64]),
    "zem_tell": (ctypes.c_int64, [_P]),
    "zem_get_tag": (_S, [_P, _S]),
    "zem_get_range": (ctypes.c_int, [_P, _U64_P, _U64_P]),
    "zem_get_frame": (ctypes.c_int, [_P, ctypes.c_uint64, _U64_P, _U64_P]),
    "zem_get_md5": (ctypes.c_int, [_P, ctypes.c_char_p]),
    "zem_error_text": (_S, [ctypes.c_int]),
    "zem_version": (_S, []),
    "zem_close": (None, [_P]),
    "zem_tag_open": (_P, [_S, _INT_P]),
    "zem_tag_count": (ctypes.c_int, [_P]),
    "zem_tag_name": (_S, [_P, ctypes.c_int]),
    "zem_tag_get": (_S, [_P, _S]),
    "zem_tag_get_binary": (ctypes.c_long, [_P, _S, _P, ctypes.c_size_t]),
    "zem_tag_set": (ctypes.c_int, [_P, _S, _S]),
    "zem_tag_set_binary": (ctypes.c_int, [_P, _S, _P, ctypes.c_size_t]),
    "zem_tag_save": (ctypes.c_int, [_P]),
    "zem_tag_close": (None, [_P]),
    "zem_cue_open": (_P, [_S, _INT_P]),
    "zem_cue_image": (_S, [_P]),
    "zem_cue_track_count": (ctypes.c_int, [_P]),
    "zem_cue_get_track": (ctypes.c_int, [_P, ctypes.c_int, ctypes.POINTER(CueTrack)]),
    "zem_cue_write_links": (ctypes.c_int, [_P, _S, _S]),
    "zem_cue_close": (None, [_P]),
    "zem_encoder_open": (_P, [_S, ctypes.POINTER(EncoderSettings), _INT_P]),
    "zem_encoder_write": (ctypes.c_long, [_P, _P, ctypes.c_long]),
    "zem_encoder_finish": (ctypes.c_int, [_P]),
    "zem_encoder_abort": (None, [_P]),
    "zem_get_error_detail": (ctypes.c_long, [_P, ctypes.c_char_p, ctypes.c_size_t]),
}

for _name, (_restype, _argtypes) in _PROTOTYPES.items():
    _function = getattr(lib, _name)
    _function.restype = _restype
    _function.argtypes = _argtypes


def error_text(code: int) -> str:
    """The library's short English text for a result code."""
    return lib.zem_error_text(code).decode("utf-8", "replace")


def error_detail(decoder: Optional[int]) -> str:
    """The detail of the decoder's last failure ("frame 3 failed its check"), or ""."""
    if not decoder:
        return ""
    size = lib.zem_get_error_detail(decoder, None, 0)
    if size <= 0:
        return ""
    buffer = ctypes.create_string_buffer(size + 1)
    lib.zem_get_error_detail(decoder, buffer, size + 1)
    return buffer.value.decode("utf-8", "replace")


def path_bytes(path) -> bytes:
    """A path (str, bytes or os.PathLike) as the bytes the library opens."""
    return os.fsencode(path)


def check(code: int, detail: str = "") -> int:
    """Raises ZemError for a negative result, returns it otherwise."""
    if code < 0:
        raise ZemError(code, detail)
    return code
