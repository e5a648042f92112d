# SPDX-License-Identifier: BSD-3-Clause
"""Conversions between the library's WAV-style PCM bytes and NumPy arrays.

Integers are left-justified, as sound libraries commonly hand them out:
int16 holds the top 16 bits of a sample, int32 the sample shifted to the top
of 32 bits; floats are samples over 2**(bits - 1), in [-1, 1).
"""
from __future__ import annotations

import numpy as np

DTYPES = ("int16", "int32", "float32", "float64")


def check_dtype(dtype) -> np.dtype:
    """The NumPy dtype for a dtype name or object, or ValueError."""
    d = np.dtype(dtype)
    if d.name not in DTYPES:
        raise ValueError(f"dtype must be one of {', '.join(DTYPES)}, not {d.name}")
    return d


def to_int32(raw: np.ndarray, bits: int) -> np.ndarray:
    """Left-justified int32 samples from PCM bytes of `bits` bits."""
    if bits == 8:
        return (raw.astype(np.int32) - 128) << 24
    if bits == 16:
        return raw.view("<i2").astype(np.int32) << 16
    if bits == 24:
        wide = np.zeros((raw.size // 3, 4), dtype=np.uint8)
        wide[:, 1:] = raw.reshape(-1, 3)
        return wide.reshape(-1).view("<i4").astype(np.int32, copy=False)
    raise ValueError(f"unsupported sample size {bits}")


def decode(raw: np.ndarray, bits: int, channels: int, dtype: np.dtype, always_2d: bool) -> np.ndarray:
    """PCM bytes as an array of (frames, channels), or (frames,) for mono unless always_2d."""
    if dtype == np.int16 and bits == 16:
        samples = raw.view("<i2").astype(np.int16)
    elif dtype == np.int16:
        samples = (to_int32(raw, bits) >> 16).astype(np.int16)
    elif dtype == np.int32:
        samples = to_int32(raw, bits)
    elif bits == 16:
        samples = raw.view("<i2").astype(dtype) * dtype.type(1.0 / 32768)
    else:
        samples = to_int32(raw, bits).astype(dtype) * dtype.type(1.0 / 2**31)
    samples = samples.reshape(-1, channels)
    if channels == 1 and not always_2d:
        return samples[:, 0]
    return samples


def encode(data: np.ndarray, bits: int) -> bytes:
    """An array of (frames, channels) as PCM bytes of `bits` bits.

    Integer arrays are taken as left-justified (int16 as 16-bit, int32 as
    32-bit samples whose low bits are dropped). Floats are clipped to the
    sample range (see needs_clipping).
    """
    if data.dtype.kind == "f":
        scale = float(2 ** (bits - 1))
        top = scale - 1
        values = np.clip(np.rint(np.nan_to_num(data) * scale), -scale, top).astype(np.int32)
    elif data.dtype == np.int16:
        values = data.astype(np.int32) >> (16 - bits) if bits < 16 else data.astype(np.int32) << (bits - 16)
    elif data.dtype == np.int32:
        values = data >> (32 - bits)
    else:
        raise TypeError(f"data must be int16, int32, float32 or float64, not {data.dtype}")
    values = values.reshape(-1)
    if bits == 8:
        return (values + 128).astype(np.uint8).tobytes()
    if bits == 16:
        return values.astype("<i2").tobytes()
    wide = values.astype("<i4").view(np.uint8).reshape(-1, 4)
    return np.ascontiguousarray(wide[:, :3]).tobytes()


def needs_clipping(data: np.ndarray) -> bool:
    """Whether float data holds values beyond [-1, 1]."""
    return data.dtype.kind == "f" and data.size > 0 and bool(np.nanmax(data) > 1.0 or np.nanmin(data) < -1.0)
