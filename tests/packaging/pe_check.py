#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""The Windows binaries the installer ships, read as PE files: each carries a
version resource (VS_VERSION_INFO) of the project's version that names the
file itself, and none keeps debug sections or a symbol table.

    pe_check.py VERSION FILE...
"""

import os
import struct
import sys

RT_VERSION = 16
FIXED_SIGNATURE = 0xFEEF04BD


class Image:
    def __init__(self, path):
        with open(path, "rb") as data:
            self.data = data.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (_, count, _, self.symbols_at, self.symbol_count, optional_size, _) = struct.unpack_from("<HHIIIHH", self.data,
                                                                                                  pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.resources_rva = struct.unpack_from("<I", self.data, directories + 2 * 8)[0]
        self.sections = []
        for index in range(count):
            at = optional + optional_size + 40 * index
            name = self.data[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
            size, rva, raw_size, raw_at = struct.unpack_from("<IIII", self.data, at + 8)
            self.sections.append((self.long_name(name), rva, max(size, raw_size), raw_at))

    def long_name(self, name):
        """Names longer than eight characters stand in the string table behind the symbols as /OFFSET."""
        if not name.startswith("/") or not self.symbols_at:
            return name
        at = self.symbols_at + 18 * self.symbol_count + int(name[1:])
        return self.data[at:self.data.index(b"\0", at)].decode("ascii", "replace")

    def offset(self, rva):
        for _, start, size, raw_at in self.sections:
            if start <= rva < start + size:
                return raw_at + rva - start
        raise ValueError("address 0x%x lies in no section" % rva)

    def version_resource(self):
        """The bytes of the first RT_VERSION resource, or None."""
        if not self.resources_rva:
            return None
        root = self.offset(self.resources_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for index in range(named + numbered):
                yield struct.unpack_from("<II", self.data, directory + 16 + 8 * index)

        found = [target for key, target in entries(root) if key == RT_VERSION]
        if not found:
            return None
        target = found[0]
        while target & 0x80000000:  # the name and the language levels: take the first entry of each
            target = next(entries(root + (target & 0x7FFFFFFF)))[1]
        rva, size = struct.unpack_from("<II", self.data, root + target)
        at = self.offset(rva)
        return self.data[at:at + size]


def check(path, version):
    problems = []
    image = Image(path)
    debug = [name for name, _, _, _ in image.sections if name.startswith((".debug", ".zdebug"))]
    if debug:
        problems.append("debug sections %s" % ", ".join(debug))
    if image.symbol_count:
        problems.append("a symbol table of %d entries" % image.symbol_count)
    resource = image.version_resource()
    if resource is None:
        return problems + ["no version resource"]
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    if resource[6:6 + len(key)] != key:
        return problems + ["the version resource is no VS_VERSION_INFO"]
    fixed = (6 + len(key) + 3) & ~3
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", resource, fixed)
    parts = [int(part) for part in version.split(".")] + [0]
    expected = ((parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3])
    if signature != FIXED_SIGNATURE:
        problems.append("the version resource has no fixed part")
    elif (file_ms, file_ls) != expected or (product_ms, product_ls) != expected:
        problems.append("version %d.%d.%d.%d in the version resource" % (file_ms >> 16, file_ms & 0xFFFF,
                                                                         file_ls >> 16, file_ls & 0xFFFF))
    for text in (version, os.path.basename(path)):
        if (text + "\0").encode("utf-16-le") not in resource:
            problems.append("the version resource does not say %r" % text)
    return problems


def main():
    version, paths = sys.argv[1], sys.argv[2:]
    failures = 0
    for path in paths:
        problems = check(path, version)
        failures += bool(problems)
        print("pe_check: %s: %s" % (os.path.basename(path), "; ".join(problems) or "version %s, stripped" % version))
    return 1 if failures or not paths else 0


if __name__ == "__main__":
    sys.exit(main())
