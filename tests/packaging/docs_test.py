#!/usr/bin/env python3
"""zemtool's manual page and bash completion against the program itself.

Every command and option that `zemtool --help` and each command's help name
must appear in the manual page and in the completion; and the completion,
run in bash with bash-completion loaded, must offer the commands, each
command's options and the file names that command takes at that place.

    docs_test.py ZEMTOOL MAN_PAGE COMPLETION [ZEMFS ZEMFS_MAN_PAGE]
With zemfs, its manual page must name every option of `zemfs --help` too.
Exit 77 (skipped) without bash-completion, unless under CI.
"""

import os
import re
import subprocess
import sys
import tempfile

BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
COMMANDS = ["info", "tag", "links", "encode", "decode", "verify"]
FILES = ["a.wav", "B.WAV", "c.zem", "d.qrb", "e.zlk", "f.cue", "g.txt"]
# words typed (the last one being completed) -> what the completion offers
CASES = [
    (["zemtool", ""], COMMANDS),
    (["zemtool", "-"], ["--help", "--version"]),
    (["zemtool", "de"], ["decode"]),
    (["zemtool", "info", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "info", "--"], ["--allow-remote-paths", "--help", "--json"]),
    (["zemtool", "tag", "c.zem", "--"], ["--delete", "--help", "--id3v1", "--remove", "--set", "--set-cuesheet"]),
    (["zemtool", "tag", "c.zem", "--set-cuesheet", ""], ["f.cue", "sub"]),
    (["zemtool", "tag", "c.zem", "--set-cuesheet", "f.cue", ""], []),
    (["zemtool", "links", ""], ["c.zem", "d.qrb", "f.cue", "sub"]),
    (["zemtool", "links", "f.cue", "-"], ["--allow-remote-paths", "--help", "--strict", "--template", "-h"]),
    (["zemtool", "links", "f.cue", "--template", "AR"], ["ARTIST\\ -\\ ALBUM\\ -\\ TRACK#\\ -\\ TITLE",
                                                          "ARTIST\\ -\\ TITLE"]),
    (["zemtool", "encode", ""], ["B.WAV", "a.wav", "sub"]),
    (["zemtool", "encode", "--level", "3000", "a.wav", ""], ["c.zem", "sub"]),
    (["zemtool", "encode", "--level", ""], ["1000", "2000", "3000", "4000", "5000"]),
    (["zemtool", "decode", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "decode", "--threads", "2", "e.zlk", ""], ["B.WAV", "a.wav", "sub"]),
    (["zemtool", "decode", "-q", "--"], ["--allow-remote-paths", "--help", "--quiet", "--threads"]),
    (["zemtool", "verify", "c.zem", ""], ["c.zem", "d.qrb", "e.zlk", "sub"]),
    (["zemtool", "verify", "c.zem", "--threads", ""], []),
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


def complete(completion, folder, words):
    script = ("source %s\nsource %s\nCOMP_WORDS=(%s)\nCOMP_CWORD=%d\nCOMP_LINE=\"${COMP_WORDS[*]}\"\n"
              "COMP_POINT=${#COMP_LINE}\n_zemtool zemtool\nprintf '%%s\\n' \"${COMPREPLY[@]}\"\n"
              % (BASH_COMPLETION, completion, " ".join("'%s'" % w for w in words), len(words) - 1))
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
    if len(sys.argv) > 5:
        zemfs, zemfs_man = sys.argv[4:6]
        zemfs_text = read_man_page(zemfs_man)
        failures += ["zemfs's manual page does not name %s" % word
                     for word in help_words(zemfs) if not names(zemfs_text, word)]
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
            for words, expected in CASES:
                offered = complete(completion, folder, words)
                if offered != sorted(expected):
                    failures.append("%r offers %r, expected %r" % (" ".join(words), offered, sorted(expected)))
    for failure in failures:
        print("docs_test: " + failure)
    print("docs_test: %s" % ("FAILED" if failures else "manual page and completion agree with zemtool's help"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
