# SPDX-License-Identifier: BSD-3-Clause
"""The registry as Wine's `reg export` writes it, for tests that check that a
library's unregistration leaves the registry exactly as its registration found it."""

import os

CLASSES = "HKLM\\Software\\Classes"


def export_classes(wine_run, path):
    """The bytes of HKLM\\Software\\Classes exported to `path`; wine_run(*arguments) runs a Wine program."""
    if os.path.exists(path):
        os.remove(path)
    wine_run("reg", "export", CLASSES, path)
    with open(path, "rb") as exported:
        return exported.read()
