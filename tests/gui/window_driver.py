# SPDX-License-Identifier: BSD-3-Clause
"""Shared driver of the window tests: runs a real Windows program under Wine on
a private virtual X display and uses it as a person would.

xdotool moves the mouse and types; the helper window_probe.exe, running in
the same Wine session, reads window and control texts, positions, the keyboard
focus and the icon of message boxes, presses buttons, sets the texts of other
programs' controls and delivers dropped files (see window_probe.cpp for its
commands). Screenshots of the virtual display are kept in the work folder as
test artifacts.

A program's window test is a subclass of WindowSession with a run() method,
started by main(). Exit codes: 0 passed, 1 failed, 77 skipped (a needed tool is
missing; under CI, where CI=true, that fails instead).
"""

import argparse
import json
import os
import select
import shutil
import subprocess
import sys
import time

SKIP = 77
DESKTOP_SIZE = "640x480"
X_SCREEN = "800x600x24"
DIALOG_CLASS = "#32770"
WS_TABSTOP = 0x00010000
WS_EX_CONTROLPARENT = 0x00010000
WS_EX_TOPMOST = 0x00000008
WS_EX_ACCEPTFILES = 0x00000010
WINE_FONTS = "/usr/share/wine/fonts"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Logger:
    prefix = "gui"


def log(message):
    print("[%s] %s" % (Logger.prefix, message), flush=True)


def pixels(twips, dpi):
    return (twips * dpi + 720) // 1440


class Probe:
    """The helper program, started once; one command a line, one JSON answer a line."""

    def __init__(self, wine, probe_exe, env):
        self.process = subprocess.Popen([wine, probe_exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, env=env)
        self.pending = b""

    def ask(self, *words, timeout=30.0):
        # Words travel as UTF-8 and answers come back as JSON with \u escapes.
        line = "\t".join(str(word) for word in words) + "\n"
        self.process.stdin.write(line.encode("utf-8"))
        self.process.stdin.flush()
        deadline = time.monotonic() + timeout
        while b"\n" not in self.pending:
            left = deadline - time.monotonic()
            check(left > 0, "probe did not answer " + words[0])
            ready, _, _ = select.select([self.process.stdout], [], [], left)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 65536)
                check(chunk, "probe ended while asked " + words[0])
                self.pending += chunk
        answer, self.pending = self.pending.split(b"\n", 1)
        return json.loads(answer.decode("utf-8").strip())

    def quit(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.flush()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()


class WindowSession:
    """One program on one virtual Wine desktop, with the probe beside it."""

    desktop = "ZemTest"

    def __init__(self, args):
        self.args = args
        self.work = os.path.realpath(args.work)
        self.env = prefix_environment(self.work)
        self.prefix = self.env["WINEPREFIX"]
        self.shots = os.path.join(self.work, "screenshots")
        self.wine = shutil.which("wine64") or shutil.which("wine")
        self.program = None
        self.probe = None
        self.origin = (0, 0)
        self.dpi = (96, 96)

    # --- set-up and tear-down -------------------------------------------------

    def prepare_prefix(self):
        ready = os.path.join(self.prefix, ".window-test-ready")
        if os.path.exists(ready):
            return
        template = os.environ.get("ZEM_WINE_TEMPLATE")
        if template:
            # A copy of one prefix made for all window tests: as fresh as a
            # new one, without each test paying for its own `wineboot -i`.
            stop_wine(self.env)
            shutil.rmtree(self.prefix, ignore_errors=True)
            make_template_prefix(template)
            os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
            subprocess.run(["cp", "-a", template, self.prefix], check=True, timeout=120)
        else:
            log("creating Wine prefix " + self.prefix)
            make_prefix(self.env, self.prefix)
        open(ready, "w").close()

    def prepare(self):
        """Clears the screenshots and makes the prefix; tests add their data."""
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.prepare_prefix()

    def start_probe(self):
        if self.probe is None:
            self.probe = Probe(self.wine, self.args.probe, self.env)

    def run_hidden(self, *arguments, timeout=60):
        """Runs the program to its end without a desktop of ours; returns its exit code."""
        done = subprocess.run([self.wine, self.args.program] + list(arguments), env=self.env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout)
        return done.returncode

    def start_program(self, *arguments, program=None):
        """Starts the program (by default --program) on the virtual desktop and waits for the desktop."""
        self.start_desktop([program or self.args.program] + list(arguments))

    def start_desktop(self, command=()):
        """Starts the virtual desktop, with a command to run on it, and the probe on it."""
        self.program = subprocess.Popen([self.wine, "explorer", "/desktop=%s,%s" % (self.desktop, DESKTOP_SIZE)] +
                                        list(command), env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.start_probe()
        # Wine's first desktop of a prefix can take half a minute on a machine
        # busy with other builds; the wait ends as soon as it shows.
        check(self.probe.ask("desktop", self.desktop, 60000, timeout=70)["ok"], "virtual desktop did not appear")
        dpi = self.probe.ask("dpi")
        self.dpi = (dpi["x"], dpi["y"])
        self.origin = self.desktop_origin()

    def run_watched(self, command_line, caption, seconds=30):
        """Runs a command line on the desktop through the probe; tells its exit and whether the caption showed."""
        answer = self.probe.ask("runwatch", caption, seconds * 1000, command_line, timeout=seconds + 10)
        check(answer["started"], "could not start " + command_line)
        check(answer["ended"], command_line + " did not end")
        return answer

    def find_window(self, window_class, caption, seconds=20):
        hwnd = self.probe.ask("find", window_class, caption, seconds * 1000, timeout=seconds + 10)["hwnd"]
        check(hwnd, "window \"%s\" did not appear" % caption)
        return hwnd

    def desktop_origin(self):
        """Where Wine's desktop window sits on the X screen."""
        found = subprocess.run(["xdotool", "search", "--name", self.desktop], capture_output=True, text=True)
        for window in found.stdout.split():
            shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                                   text=True).stdout
            values = dict(line.split("=", 1) for line in shape.split() if "=" in line)
            if values.get("WIDTH", "") + "x" + values.get("HEIGHT", "") == DESKTOP_SIZE:
                return int(values["X"]), int(values["Y"])
        return 0, 0

    def wait_program(self, seconds=15):
        """Waits for the program started by start_program to end; returns its exit code."""
        try:
            return self.program.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            raise Failure("program did not end")

    def stop(self):
        if self.probe:
            self.probe.quit()
            self.probe = None
        stop_wine(self.env)
        if self.program:
            try:
                self.program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.program.kill()

    # --- looking ----------------------------------------------------------------

    def tree(self, hwnd):
        return self.probe.ask("tree", hwnd)

    def controls_by_id(self, hwnd):
        """Every descendant control of a window by its id. Nearer controls win: a
        combo box's own edit field has id 1001 too, which must not hide a button."""
        found = {}
        level = self.tree(hwnd)["children"]
        while level:
            for child in level:
                found.setdefault(child["id"], child)
            level = [grandchild for child in level for grandchild in child["children"]]
        return found

    def screenshot(self, name):
        path = os.path.join(self.shots, name)
        subprocess.run(["import", "-window", "root", path], check=False, timeout=20)
        log("screenshot " + path)
        return path

    def focus_id(self, hwnd):
        return self.probe.ask("focus", hwnd)["id"]

    def wait_focus(self, hwnd, ident, seconds=5):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.focus_id(hwnd) == ident:
                return True
            time.sleep(0.1)
        return False

    def dialogs(self, exclude=()):
        return [window for window in self.probe.ask("list")["windows"]
                if window["class"] == DIALOG_CLASS and window["hwnd"] not in exclude]

    def wait_dialog(self, seconds, exclude=()):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = self.dialogs(exclude)
            if found:
                return found
            time.sleep(0.2)
        return []

    def visible_children(self, hwnd, window_class):
        return [child for child in self.tree(hwnd)["children"]
                if child["class"].lower() == window_class.lower() and child["visible"]]

    # --- acting -----------------------------------------------------------------

    def click_at(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + x), str(self.origin[1] + y), "click", "1"],
                       check=True)
        time.sleep(0.2)

    def click_entry(self, entry):
        """Clicks the middle of a control given by its tree entry."""
        left, top = entry["screen"]
        width, height = entry["rect"][2], entry["rect"][3]
        self.click_at(left + width // 2, top + height // 2)

    def keys(self, *names):
        subprocess.run(["xdotool", "key", "--delay", "40"] + list(names), check=True)
        time.sleep(0.2)

    def type_text(self, text):
        subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
        time.sleep(0.2)

    def press(self, hwnd):
        self.probe.ask("click", hwnd)

    def close_window(self, hwnd):
        self.probe.ask("close", hwnd)
        check(self.probe.ask("gone", hwnd, 10000, timeout=15)["gone"], "window did not close")

    # --- message boxes ----------------------------------------------------------

    def message_texts(self, box):
        return [s["text"] for s in self.visible_children(box["hwnd"], "Static") if s["text"]]

    def close_message(self, box, name):
        """Checks the box shows exactly one OK button, screenshots it, and presses OK."""
        buttons = self.visible_children(box["hwnd"], "Button")
        check([b["text"] for b in buttons] == ["OK"], "message box buttons are %r" % [b["text"] for b in buttons])
        self.screenshot(name)
        self.press(buttons[0]["hwnd"])
        check(self.probe.ask("gone", box["hwnd"], 10000, timeout=15)["gone"], "message box did not close")

    def expect_message(self, box, title, text, icon, shot):
        check(box["text"] == title, "message box title %r, expected %r" % (box["text"], title))
        texts = self.message_texts(box)
        check(texts == [text], "message box texts %r, expected %r" % (texts, text))
        shown = self.probe.ask("icon", box["hwnd"])["icon"]
        check(shown == icon, "message box icon %r, expected %r" % (shown, icon))
        self.close_message(box, shot)
        log("message %r / %r / icon %s" % (title, text, icon))

    def run(self):
        raise NotImplementedError


def install_wine_fonts(prefix, source=WINE_FONTS):
    """Copies Wine's own fonts (package fonts-wine) into the prefix's Fonts folder.

    Debian's Wine does not find them where the package puts them, so without
    this, dialogs fall back to wider fonts and caption buttons draw as letters.
    Returns the names copied."""
    target = os.path.join(prefix, "drive_c", "windows", "Fonts")
    if not os.path.isdir(source):
        return []
    os.makedirs(target, exist_ok=True)
    copied = []
    for name in sorted(os.listdir(source)):
        if not os.path.exists(os.path.join(target, name)):
            shutil.copyfile(os.path.join(source, name), os.path.join(target, name))
            copied.append(name)
    return copied


def wine_environment(prefix):
    return dict(os.environ, WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d")


def prefix_environment(work):
    return wine_environment(os.path.join(os.path.realpath(work), "wine-prefix"))


def make_prefix(env, prefix):
    """A new Wine prefix with Wine's own fonts, its server ended so that every file is written."""
    os.makedirs(prefix, exist_ok=True)
    subprocess.run([shutil.which("wine64") or shutil.which("wine"), "wineboot", "-i"], env=env,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90,
                   check=True)
    subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    install_wine_fonts(prefix)


def make_template_prefix(template):
    """Makes the shared template prefix once; window tests that run at the
    same time wait on a lock beside it while one of them makes it."""
    import fcntl
    os.makedirs(os.path.dirname(template), exist_ok=True)
    with open(template + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        done = os.path.join(template, ".template-ready")
        if not os.path.exists(done):
            log("creating the template Wine prefix " + template)
            shutil.rmtree(template, ignore_errors=True)
            make_prefix(wine_environment(template), template)
            open(done, "w").close()


def stop_wine(env):
    # The prefix is this test's own, so this ends only what the test started.
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=30)


def missing_tools():
    needed = ["xvfb-run", "xdotool", "import", "wineserver"]
    missing = [tool for tool in needed if shutil.which(tool) is None]
    if shutil.which("wine64") is None and shutil.which("wine") is None:
        missing.append("wine")
    return missing


def under_ci():
    return os.environ.get("CI", "").lower() == "true"


def parse_arguments(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--program", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--data", action="append", default=[], help="input read in place (NAME=PATH)")
    return parser.parse_args()


def main(session_class, name, seconds):
    """Runs session_class(args).run() on a private virtual display; returns the exit code."""
    Logger.prefix = name
    args = parse_arguments("%s window test" % name)
    missing = missing_tools()
    if missing:
        print("%s window test %s: missing %s" % (name, "FAILED" if under_ci() else "skipped", ", ".join(missing)))
        return 1 if under_ci() else SKIP
    if os.environ.get("ZEM_WINDOW_TEST_DISPLAY") != "1":
        # Start again on a private virtual display.
        env = dict(os.environ, ZEM_WINDOW_TEST_DISPLAY="1")
        command = ["xvfb-run", "-a", "-s", "-screen 0 " + X_SCREEN, sys.executable] + sys.argv
        try:
            return subprocess.run(command, env=env, timeout=seconds + 30).returncode
        except subprocess.TimeoutExpired:
            print("%s window test FAILED: timed out" % name)
            stop_wine(prefix_environment(args.work))
            return 1

    session = session_class(args)
    started = time.monotonic()
    try:
        session.run()
    except (Failure, subprocess.SubprocessError, OSError, KeyError, ValueError) as error:
        print("%s window test FAILED: %s" % (name, error))
        session.screenshot("failure.png")
        return 1
    finally:
        session.stop()
    log("passed in %.1f s" % (time.monotonic() - started))
    return 0
