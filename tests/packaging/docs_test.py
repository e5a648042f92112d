#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""zemtool's manual page and bash completion against the program itself.

Every command and option that `zemtool --help` and each command's help name
must appear in the manual page and in the completion; and the completion,
run in bash with bash-completion loaded, must offer the commands, each
command's options and the file names that command takes at that place.

    docs_test.py ZEMTOOL MAN_PAGE COMPLETION [ZEMFS ZEMFS_MAN_PAGE ZEMFS_COMPLETION]
With zemfs, its manual page and completion must name every option of
`zemfs --help` too, its completion must offer options, mount options and
folders, and zemtool's page must point to zemfs's under SEE ALSO.
Exit 77 (skipped) without bash-completion, unless under CI.
"""

import os
import re
import subprocess
import sys
import tempfile

BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
COMMANDS = ["info", "tag", "links", "encode", "decode", "verify", "ripcheck", "convert", "gain", "batch"]
FILES = ["a.wav", "B.WAV", "c.zem", "d.qrb", "e.zlk", "f.cue", "g.txt", "h.flac", "h.jsonl"]
# words typed (the last one being completed) -> what the completion offers
CASES = [
    (["zemtool", ""], COMMANDS),
    (["zemtool", "-"], ["--help", "--version"]),
    (["zemtool", "de"], ["decode"]),
    (["zemtool", "info", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "info", "--"], ["--allow-remote-paths", "--help", "--jobs", "--json", "--recursive"]),
    (["zemtool", "info", "c.zem", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "tag", "c.zem", "--"], ["--delete", "--export-picture", "--help", "--id3v1", "--picture-type",
                                         "--recursive", "--remove", "--remove-picture", "--set", "--set-cuesheet",
                                         "--set-picture"]),
    (["zemtool", "tag", "c.zem", "--picture-type", "B"], ["Back", "Band"]),
    (["zemtool", "tag", "c.zem", "--set-cuesheet", ""], ["f.cue", "sub"]),
    (["zemtool", "tag", "c.zem", "--set-cuesheet", "f.cue", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "links", ""], ["c.zem", "d.qrb", "f.cue", "sub"]),
    (["zemtool", "links", "f.cue", "-"], ["--allow-remote-paths", "--help", "--strict", "--template", "-h"]),
    (["zemtool", "links", "f.cue", "--template", "AR"], ["ARTIST\\ -\\ ALBUM\\ -\\ TRACK#\\ -\\ TITLE",
                                                          "ARTIST\\ -\\ TITLE"]),
    (["zemtool", "encode", ""], ["B.WAV", "a.wav", "sub"]),
    (["zemtool", "encode", "--level", "3000", "a.wav", ""], ["B.WAV", "a.wav", "c.zem", "sub"]),
    (["zemtool", "encode", "a.wav", "B.WAV", ""], ["B.WAV", "a.wav", "sub"]),
    (["zemtool", "encode", "--output-dir", ""], ["sub"]),
    (["zemtool", "encode", "-o", ""], ["c.zem", "sub"]),
    (["zemtool", "encode", "--d"], ["--delete-input"]),
    (["zemtool", "encode", "--level", ""], ["1000", "2000", "3000", "4000", "5000"]),
    (["zemtool", "decode", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "decode", "--threads", "2", "e.zlk", ""], ["B.WAV", "a.wav", "c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "decode", "-r", ""], ["sub"]),
    (["zemtool", "decode", "-q", "--"], ["--allow-remote-paths", "--delete-input", "--force", "--help", "--jobs",
                                        "--output-dir", "--quiet", "--recursive", "--threads"]),
    (["zemtool", "batch", ""], ["h.jsonl", "sub"]),
    (["zemtool", "batch", "h.jsonl", "--"], ["--help", "--jobs", "--manifest", "--quiet", "--shard"]),
    (["zemtool", "batch", "h.jsonl", "--shard", ""], []),
    (["zemtool", "verify", "c.zem", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "verify", "c.zem", "--threads", ""], []),
    (["zemtool", "ripcheck", ""], ["c.zem", "d.qrb", "f.cue", "sub"]),
    (["zemtool", "ripcheck", "f.cue", "--"], ["--database", "--help", "--json", "--log", "--lookup", "--timeout"]),
    (["zemtool", "ripcheck", "f.cue", "--log", ""], ["sub"]),
    (["zemtool", "convert", "a.wav", ""], ["B.WAV", "a.wav", "c.zem", "d.qrb", "e.zlk", "f.cue", "h.flac", "sub"]),
    (["zemtool", "convert", "--to", ""], ["flac", "wav", "zem"]),
    (["zemtool", "gain", "--"], ["--album", "--dry-run", "--help"]),
    (["zemtool", "convert", "--output-dir", ""], ["sub"]),
    (["zemtool", "convert", "f.cue", "--"], ["--flac-level", "--help", "--level", "--output-dir", "--template",
                                             "--threads", "--to"]),
]
ZEMFS_CASES = [
    (["zemfs", ""], ["sub"]),
    (["zemfs", "sub", ""], ["sub"]),
    (["zemfs", "--"], ["--allow-outside-source", "--allow-remote-paths", "--help", "--version"]),
    (["zemfs", "-o", "allow_"], ["allow_other", "allow_outside_source", "allow_remote_paths", "allow_root"]),
    (["zemfs", "sub", "sub", "-o", "ro,default"], ["ro,default_permissions"]),
]


def help_words(program, commands=()):
    """Options named by the help texts of the program and of its commands."""
    texts = [subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout]
    for command in commands:
        texts.append(subprocess.run([program, command, "--help"], capture_output=True, text=True, check=True).stdout)
    options = set()
    for text in texts:
        options.update(re.findall(r"(?<![\w-])(--?[a-z][a-z0-9-]*)", text))
    options.discard("-")
    return sorted(options)


def option_list(program):
    """The options of the help's "Options:" list (the rest of the text names other programs' options)."""
    text = subprocess.run([program, "--help"], capture_output=True, text=True, check=True).stdout
    listed = text.split("Options:", 1)[-1].split("\n\n", 1)[0]
    return sorted(set(re.findall(r"(?<![\w-])(--?[a-z][a-z0-9-]*)", listed)))


def complete(completion, folder, words):
    script = ("source %s\nsource %s\nCOMP_WORDS=(%s)\nCOMP_CWORD=%d\nCOMP_LINE=\"${COMP_WORDS[*]}\"\n"
              "COMP_POINT=${#COMP_LINE}\n_%s %s\nprintf '%%s\\n' \"${COMPREPLY[@]}\"\n"
              % (BASH_COMPLETION, completion, " ".join("'%s'" % w for w in words), len(words) - 1, words[0],
                 words[0]))
    done = subprocess.run(["bash", "-c", script], cwd=folder, capture_output=True, text=True, check=True)
    return sorted(line for line in done.stdout.splitlines() if line)


def names(text, word):
    return re.search(r"(?<![\w-])%s(?![\w-])" % re.escape(word), text) is not None


def read_man_page(path):
    with open(path, encoding="utf-8") as page:
        return page.read().replace("\\-", "-")


def main():
    zemtool, man_page, completion = (os.path.abspath(path) for path in sys.argv[1:4])
    failures = []
    man_text = read_man_page(man_page)
    with open(completion, encoding="utf-8") as script:
        completion_text = script.read()
    for word in COMMANDS + help_words(zemtool, COMMANDS):
        if not names(man_text, word):
            failures.append("the manual page does not name %s" % word)
        if not names(completion_text, word):
            failures.append("the completion does not offer %s" % word)
    cases = [(completion, words, expected) for words, expected in CASES]
    if len(sys.argv) > 6:
        zemfs, zemfs_man, zemfs_completion = (os.path.abspath(path) for path in sys.argv[4:7])
        zemfs_text = read_man_page(zemfs_man)
        with open(zemfs_completion, encoding="utf-8") as script:
            zemfs_completion_text = script.read()
        failures += ["zemfs's manual page does not name %s" % word
                     for word in help_words(zemfs) if not names(zemfs_text, word)]
        failures += ["zemfs's completion does not offer %s" % word
                     for word in option_list(zemfs) if not names(zemfs_completion_text, word)]
        see_also = man_text.split(".SH SEE ALSO", 1)[-1].split(".SH ", 1)[0]
        if not re.search(r"^\.BR zemfs \(1\)", see_also, re.M):
            failures.append("zemtool's manual page does not name zemfs(1) under SEE ALSO")
        cases += [(zemfs_completion, words, expected) for words, expected in ZEMFS_CASES]
    if not os.path.exists(BASH_COMPLETION):
        if os.environ.get("CI", "").lower() != "true":
            print("docs_test: completion cases skipped: bash-completion missing")
            for failure in failures:
                print("docs_test: " + failure)
            return 1 if failures else 77
        failures.append("bash-completion missing")
    else:
        with tempfile.TemporaryDirectory() as folder:
            for name in FILES:
                open(os.path.join(folder, name), "w").close()
            os.mkdir(os.path.join(folder, "sub"))
            for script, words, expected in cases:
                offered = complete(script, folder, words)
                if offered != sorted(expected):
                    failures.append("%r offers %r, expected %r" % (" ".join(words), offered, sorted(expected)))
    for failure in failures:
        print("docs_test: " + failure)
    print("docs_test: %s" % ("FAILED" if failures else "manual page and completion agree with zemtool's help"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
