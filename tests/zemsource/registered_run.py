#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Runs a test program with the source filter registered, under Wine:

  1. regsvr32 /u first, for what an interrupted run may have left;
  2. exports the registry, registers the filter with regsvr32 and checks that
     its class, its entry in the filter category and its files' byte patterns
     are there (Wine gets no extension keys: see zemsource/registration.cpp),
     and the media player's extension keys;
  3. runs the test program (its output passes through; its exit code counts),
     with ALSA's default device a null one, for Wine's audio renderer;
  4. unregisters with regsvr32 /u and checks that the registry exported now is
     byte for byte the one from before.

Every Wine program starts through tools/wine-run.sh, on the build's shared prefix.
"""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from wine_registry import export_classes  # noqa: E402

PLAYER = "HKLM\\Software\\Microsoft\\MediaPlayer"

CLSID = "{3928FA40-0CAB-4C6B-B59B-698780E68154}"
STREAM_SUBTYPE, LINK_SUBTYPE = "{5B55AD19-C8EE-4ABB-B45A-8E9AF4BAEC74}", "{E54F3F05-6A6D-4599-8E3B-C92DD55D4D92}"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def export_player(wine_run, path):
    """The player's keys as exported (empty when there are none)."""
    if os.path.exists(path):
        os.remove(path)
    wine_run("reg", "export", PLAYER, path)
    if not os.path.exists(path):
        return b""
    with open(path, "rb") as exported:
        return exported.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--filter", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("program", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    program = [word for word in args.program if word != "--"]
    os.makedirs(args.work, exist_ok=True)
    env = dict(os.environ, WINEDEBUG="-all")
    # Wine's audio renderer needs a device: ALSA's default becomes a null one (alsa-null.conf).
    alsa_conf = "/usr/share/alsa/alsa.conf"
    if os.path.exists(alsa_conf):
        env["ALSA_CONFIG_PATH"] = alsa_conf + ":" + os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                  "alsa-null.conf")

    def wine_run(*arguments, quiet=True):
        output = subprocess.DEVNULL if quiet else None
        return subprocess.run([args.wine_run] + list(arguments), env=env, stdin=subprocess.DEVNULL,
                              stdout=output, stderr=output, timeout=100).returncode

    failures = []
    ax = windows_path(args.filter)
    wine_run("regsvr32", "/s", "/u", ax)
    before = export_classes(wine_run, os.path.join(args.work, "registry-before.reg"))
    player_before = export_player(wine_run, os.path.join(args.work, "player-before.reg"))
    if wine_run("regsvr32", "/s", ax) != 0:
        print("regsvr32 %s failed" % ax)
        return 1
    registered = export_classes(wine_run, os.path.join(args.work, "registry-registered.reg")).decode("utf-16")
    if "player\\extensions\\.zlk]" not in export_player(wine_run, os.path.join(args.work, "player.reg")).decode(
            "utf-16").lower():
        failures.append("not registered: the player's extension keys")
    for key in ["CLSID\\" + CLSID + "\\InprocServer32",
                "CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\" + CLSID,
                "Media Type\\{E436EB83-524F-11CE-9F53-0020AF0BA770}\\" + STREAM_SUBTYPE,
                "Media Type\\{E436EB83-524F-11CE-9F53-0020AF0BA770}\\" + LINK_SUBTYPE]:
        if ("[HKEY_LOCAL_MACHINE\\Software\\Classes\\%s]" % key).lower() not in registered.lower():
            failures.append("not registered: " + key)
    sys.stdout.flush()
    status = wine_run(*program, quiet=False)
    if status != 0:
        failures.append("%s exited with %d" % (os.path.basename(program[0]), status))
    if wine_run("regsvr32", "/s", "/u", ax) != 0:
        failures.append("regsvr32 /u failed")
    after = export_classes(wine_run, os.path.join(args.work, "registry-after.reg"))
    if after != before or export_player(wine_run, os.path.join(args.work, "player-after.reg")) != player_before:
        failures.append("the registry differs after regsvr32 /u (see %s)" % args.work)
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
