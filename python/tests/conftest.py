# SPDX-License-Identifier: BSD-3-Clause
"""Where the tests find zemtool, the bundled album and the shared inputs.

ZEM_LIBRARY names the libzem.so under test (the package reads it), ZEMTOOL
the zemtool built beside it.
"""
import os
import pathlib

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def zemtool() -> str:
    path = os.environ.get("ZEMTOOL")
    if not path:
        pytest.skip("ZEMTOOL is not set")
    return path


@pytest.fixture(scope="session")
def album() -> pathlib.Path:
    image = ROOT / "samples" / "album" / "Tallowmere.zem"
    if not image.exists():
        pytest.skip("the album image is not built (target sample_album)")
    return image


@pytest.fixture(scope="session")
def repro() -> pathlib.Path:
    return ROOT.parent / "shared" / "repro"
