#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Checks of the window-test driver itself that need no Wine: what a window
test does when a tool it needs is missing, inside and outside CI."""

import os
import sys
import tempfile
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import window_driver  # noqa: E402


class NeverRun(window_driver.WindowSession):
    def run(self):
        raise AssertionError("a session ran without its tools")


class MissingToolTest(unittest.TestCase):
    def run_main(self, ci_value):
        work = tempfile.mkdtemp()
        argv = ["test", "--program", "p.exe", "--probe", "probe.exe", "--work", work]
        environment = {"PATH": work}  # an empty folder: no tool can be found
        if ci_value is not None:
            environment["CI"] = ci_value
        with mock.patch.object(sys, "argv", argv), mock.patch.dict(os.environ, environment, clear=True):
            return window_driver.main(NeverRun, "driver", 10)

    def test_missing_tool_skips_outside_ci_and_fails_under_ci(self):
        cases = [(None, window_driver.SKIP), ("false", window_driver.SKIP), ("true", 1), ("TRUE", 1)]
        for ci_value, expected in cases:
            with self.subTest(ci=ci_value):
                self.assertEqual(self.run_main(ci_value), expected)

    def test_every_missing_tool_is_named(self):
        with mock.patch.dict(os.environ, {"PATH": tempfile.mkdtemp()}, clear=True):
            self.assertEqual(sorted(window_driver.missing_tools()),
                             ["import", "wine", "wineserver", "xdotool", "xvfb-run"])


class WineFontsTest(unittest.TestCase):
    def test_fonts_are_copied_once_and_existing_ones_kept(self):
        source, prefix = tempfile.mkdtemp(), tempfile.mkdtemp()
        for name, content in (("marlett.ttf", "m"), ("tahoma.ttf", "t")):
            with open(os.path.join(source, name), "w") as out:
                out.write(content)
        fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
        os.makedirs(fonts)
        with open(os.path.join(fonts, "tahoma.ttf"), "w") as out:
            out.write("already there")
        self.assertEqual(window_driver.install_wine_fonts(prefix, source), ["marlett.ttf"])
        self.assertEqual(window_driver.install_wine_fonts(prefix, source), [])
        with open(os.path.join(fonts, "tahoma.ttf")) as kept:
            self.assertEqual(kept.read(), "already there")
        self.assertEqual(window_driver.install_wine_fonts(prefix, os.path.join(source, "none")), [])


if __name__ == "__main__":
    unittest.main()
