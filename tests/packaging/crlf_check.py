#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Every line of a Windows text file ends in CR LF: no bare LF, no bare CR.

    crlf_check.py FILE...
"""

import sys


def main():
    failures = 0
    for path in sys.argv[1:]:
        with open(path, "rb") as text:
            lines = text.read().split(b"\r\n")
        bare = [number + 1 for number, line in enumerate(lines) if b"\n" in line or b"\r" in line]
        failures += bool(bare)
        print("crlf_check: %s: %s" % (path, "lines %s lack CR LF" % bare if bare else "%d lines, CR LF" % len(lines)))
    return 1 if failures or len(sys.argv) < 2 else 0


if __name__ == "__main__":
    sys.exit(main())
