#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""zemtool ripcheck end to end: the checksums against Python's own (zlib.crc32
and the AccurateRip sums of `zemtool decode`'s output), and --lookup against
a loopback HTTP server that serves stored database responses.

    lookup_test.py ZEMTOOL
"""
import http.server
import json
import os
import random
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import zlib

ZEMTOOL = sys.argv[1]
STARTS = [0, 23, 41]  # sectors
SECTORS = 70
failures = []
passed = 0


def check(name, condition, detail=""):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(name)
        print(f"FAILED: {name} {detail}")


def wave(pcm):
    return (b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 2, 44100, 44100 * 4, 4, 16) + b"data" + struct.pack("<I", len(pcm)) + pcm)


def pcm_of(wave_bytes):
    at = wave_bytes.index(b"data")
    size = struct.unpack_from("<I", wave_bytes, at + 4)[0]
    return wave_bytes[at + 8:at + 8 + size]


def sums(pcm, first, last):
    words = struct.unpack(f"<{len(pcm) // 4}I", pcm)
    n = len(words)
    v1 = v2 = 0
    for position in range(max(1, 2940 if first else 1), (n - 2940 if last else n) + 1):
        product = words[position - 1] * position
        v1 += product
        v2 += (product & 0xFFFFFFFF) + (product >> 32)
    return v1 & 0xFFFFFFFF, v2 & 0xFFFFFFFF, zlib.crc32(pcm)


def digit_sum(value):
    return sum(int(d) for d in str(value))


def database_path(starts, leadout):
    n = len(starts)
    cddb = ((sum(digit_sum((s + 150) // 75) for s in starts) % 255) << 24 |
            ((leadout + 150) // 75 - (starts[0] + 150) // 75) << 8 | n)
    id1 = (sum(starts) + leadout) & 0xFFFFFFFF
    id2 = (sum(max(s, 1) * (i + 1) for i, s in enumerate(starts)) + max(leadout, 1) * (n + 1)) & 0xFFFFFFFF
    hex1 = f"{id1:08x}"
    return (f"/accuraterip/{hex1[7]}/{hex1[6]}/{hex1[5]}/dBAR-{n:03d}-{id1:08x}-{id2:08x}-{cddb:08x}.bin",
            (n, id1, id2, cddb))


def pressing(ids, entries):
    block = struct.pack("<BIII", *ids)
    for confidence, checksum in entries:
        block += struct.pack("<BII", confidence, checksum, 0)
    return block


class Stored(http.server.BaseHTTPRequestHandler):
    responses = {}

    def do_GET(self):
        body = self.responses.get(self.path)
        if body is None:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def ripcheck(*args):
    run = subprocess.run([ZEMTOOL, "ripcheck", "--json", *args], capture_output=True, text=True, timeout=60)
    try:
        return run.returncode, json.loads(run.stdout), run.stderr
    except json.JSONDecodeError:
        return run.returncode, {}, run.stdout + run.stderr


with tempfile.TemporaryDirectory() as folder:
    rng = random.Random(30)
    pcm = bytes(rng.getrandbits(8) for _ in range(SECTORS * 588 * 4))
    with open(os.path.join(folder, "disc.wav"), "wb") as f:
        f.write(wave(pcm))
    subprocess.run([ZEMTOOL, "encode", "-q", os.path.join(folder, "disc.wav"), os.path.join(folder, "disc.zem")],
                   check=True)
    with open(os.path.join(folder, "disc.cue"), "w") as f:
        f.write('FILE "disc.wav" WAVE\n')
        for number, start in enumerate(STARTS, 1):
            f.write(f"  TRACK {number:02d} AUDIO\n    INDEX 01 00:{start // 75:02d}:{start % 75:02d}\n")
    os.remove(os.path.join(folder, "disc.wav"))  # the sheet names the ripped file; the image lies beside it
    subprocess.run([ZEMTOOL, "decode", "-q", os.path.join(folder, "disc.zem"), os.path.join(folder, "back.wav")],
                   check=True)
    with open(os.path.join(folder, "back.wav"), "rb") as f:
        decoded = pcm_of(f.read())
    check("decode gives the audio back", decoded == pcm)
    bounds = STARTS + [SECTORS]
    expected = [sums(decoded[bounds[i] * 2352:bounds[i + 1] * 2352], i == 0, i == 2) for i in range(3)]
    sheet = os.path.join(folder, "disc.cue")

    code, result, err = ripcheck(sheet)
    check("plain run passes", code == 0, err)
    got = [(int(t["accuraterip_v1"], 16), int(t["accuraterip_v2"], 16), int(t["crc32"], 16))
           for t in result.get("tracks", [])]
    check("checksums and CRCs equal Python's", got == expected, f"{got} != {expected}")

    path, ids = database_path(STARTS, SECTORS)
    check("disc id", result.get("disc", {}).get("accuraterip_id") == path.split("dBAR-")[1][:-4], str(result.get("disc")))

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Stored)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}"
    v1s = [e[0] for e in expected]
    v2s = [e[1] for e in expected]

    cases = [
        ("one pressing", pressing(ids, [(5, v2s[0]), (6, v2s[1]), (7, v2s[2])]), 0,
         [(True, 2, 5), (True, 2, 6), (True, 2, 7)], "found"),
        ("several pressings",
         pressing(ids, [(3, v1s[0]), (1, 0x1234), (2, v2s[2])]) + pressing(ids, [(4, v2s[0]), (9, v1s[1]), (1, 7)]) +
         pressing((3, 1, 2, 3), [(50, v2s[0]), (50, v2s[1]), (50, v2s[2])]), 0,
         [(True, 2, 7), (True, 1, 9), (True, 2, 2)], "found"),
        ("no match", pressing(ids, [(5, 1), (5, 2), (5, 3)]), 1, [(False,), (False,), (False,)], "found"),
        ("damaged", pressing(ids, [(5, v2s[0]), (6, v2s[1]), (7, v2s[2])])[:-3], 1, None, "failed"),
        ("not in the database", None, 0, None, "not-found"),
    ]
    for name, body, want_code, want_tracks, want_state in cases:
        Stored.responses = {} if body is None else {path: body}
        code, result, err = ripcheck("--lookup", "--database", base, sheet)
        check(f"{name}: exit status", code == want_code, f"{code} {err}")
        check(f"{name}: lookup state", result.get("lookup", {}).get("state") == want_state, str(result.get("lookup")))
        if want_tracks:
            got = [tuple(t["database"][k] for k in ("matched", "version", "confidence")[:len(w)])
                   for t, w in zip(result["tracks"], want_tracks)]
            check(f"{name}: tracks", got == want_tracks, f"{got} != {want_tracks}")

    # Checksums of a rip read 7 samples later than the image: the offset search finds them.
    words = decoded + b"\0" * 4 * 7
    shifted = [sums(words[bounds[i] * 2352 + 28:bounds[i + 1] * 2352 + 28], i == 0, i == 2)[0] for i in range(3)]
    Stored.responses = {path: pressing(ids, [(2, v) for v in shifted])}
    code, result, err = ripcheck("--lookup", "--database", base, sheet)
    offsets = result.get("lookup", {}).get("offsets", [])
    check("offset search: exit status", code == 1, err)
    check("offset search: finds +7 for every track", offsets[:1] == [{"offset": 7, "tracks": [1, 2, 3]}], str(offsets))
    server.shutdown()

    # A server that takes the connection and never answers: the time limit holds.
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(4)
    try:
        code, result, err = ripcheck("--lookup", "--timeout", "1", "--database",
                                     f"http://127.0.0.1:{silent.getsockname()[1]}", sheet)
        check("silent server: gives up", code == 1 and result.get("lookup", {}).get("state") == "failed", err)
    except subprocess.TimeoutExpired:
        check("silent server: gives up", False, "still waiting after 60 s")
    silent.close()

print(f"{passed} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
