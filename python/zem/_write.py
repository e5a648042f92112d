# SPDX-License-Identifier: BSD-3-Clause
"""Writing: zem.write."""
from __future__ import annotations

import ctypes
import os
import warnings
from typing import Optional

import numpy as np

from . import _lib
from ._lib import ZemError, lib
from ._pcm import encode, needs_clipping

_DEFAULT_BITS = {np.dtype(np.int16): 16, np.dtype(np.int32): 24}
_CHUNK = 1 << 16


def write(path, data, samplerate: int, level: int = 2000, bits: Optional[int] = None, threads: int = 0,
          verify: bool = False) -> None:
    """Encodes an array of (frames, channels) or (frames,) into a stream at path.

    int16 data makes 16-bit samples, int32 24-bit ones (the top 24 of the 32
    bits), float data (in [-1, 1], clipped with a RuntimeWarning beyond it)
    16-bit ones unless `bits` (8, 16 or 24) says otherwise. level is 1000 to
    5000; threads 0 uses every core. Nothing appears at path unless the whole
    stream was written: a file there is replaced only then.
    """
    array = np.asarray(data)
    if array.ndim == 1:
        array = array[:, np.newaxis]
    if array.ndim != 2:
        raise ValueError("data must be (frames,) or (frames, channels)")
    if array.dtype.kind not in "if":
        raise TypeError(f"data must be int16, int32 or float, not {array.dtype}")
    if array.dtype.kind == "i" and array.dtype not in _DEFAULT_BITS:
        raise TypeError(f"integer data must be int16 or int32, not {array.dtype}")
    if bits is None:
        bits = _DEFAULT_BITS.get(array.dtype, 16)
    if bits not in (8, 16, 24):
        raise ValueError("bits must be 8, 16 or 24")
    if needs_clipping(array):
        warnings.warn("samples beyond [-1, 1] were clipped", RuntimeWarning, stacklevel=2)
    settings = _lib.EncoderSettings(int(samplerate), array.shape[1], bits, level, threads, int(verify))
    error = ctypes.c_int(0)
    target = _lib.path_bytes(path)
    encoder = lib.zem_encoder_open(target, ctypes.byref(settings), ctypes.byref(error))
    if not encoder:
        raise ZemError(error.value, os.fsdecode(target))
    try:
        for first in range(0, len(array), _CHUNK):
            part = array[first:first + _CHUNK]
            pcm = encode(part, bits)
            _lib.check(lib.zem_encoder_write(encoder, pcm, len(part)), os.fsdecode(target))
    except BaseException:
        lib.zem_encoder_abort(encoder)
        raise
    _lib.check(lib.zem_encoder_finish(encoder), os.fsdecode(target))
