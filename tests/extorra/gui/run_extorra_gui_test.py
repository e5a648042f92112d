#!/usr/bin/env python3
"""Window test of Extorra.exe: runs the real program under Wine on a private
virtual X display and uses it as a person would.

xdotool moves the mouse and types; the helper extorra_gui_probe.exe, running
in the same Wine session, reads window and control texts, positions, the
keyboard focus and the icon of message boxes, presses message-box buttons and
makes the shell's folder chooser select the prepared folder (the chooser is
the real one; the program has no test-only behaviour). Screenshots of the
virtual display are kept in the work folder as test artifacts.

Exit codes: 0 passed, 1 failed, 77 skipped (a needed tool is missing).
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
DESKTOP = "ExtorraTest"
DESKTOP_SIZE = "640x480"
X_SCREEN = "800x600x24"
OVERALL_SECONDS = 100
DATA_FOLDER = "extorra-gui-data"

FORM_CAPTION = "Extorra (v1.0)"
IDS = {"button": 101, "frame": 102, "initial": 103, "new": 104, "label": 105, "check": 106}
# Control name -> (left, top, width, height) in twips, from the window's design.
TWIPS = {
    "button": (180, 1500, 2295, 375),
    "frame": (180, 60, 2295, 795),
    "initial": (360, 300, 555, 345),
    "new": (1440, 300, 555, 345),
    "label": (960, 360, 375, 255),
    "check": (720, 1020, 1395, 255),
}
TEXTS = {"button": "Rename All Files in a Folder", "frame": "Extensions", "initial": "qrb", "new": "zem",
         "label": "to", "check": "Use Recursion"}
WS_TABSTOP = 0x00010000
WS_EX_CONTROLPARENT = 0x00010000


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print("[extorra-gui] " + message, flush=True)


def pixels(twips, dpi):
    return (twips * dpi + 720) // 1440


class Probe:
    """The helper program, started once; one command a line, one JSON answer a line."""

    def __init__(self, wine, probe_exe, env):
        self.process = subprocess.Popen([wine, probe_exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, env=env)
        self.pending = b""

    def ask(self, *words, timeout=30.0):
        line = "\t".join(str(word) for word in words) + "\n"
        self.process.stdin.write(line.encode("latin-1"))
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
        return json.loads(answer.decode("latin-1").strip())

    def quit(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.flush()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()


class Session:
    def __init__(self, args):
        self.args = args
        self.work = os.path.realpath(args.work)
        self.env = prefix_environment(self.work)
        self.prefix = self.env["WINEPREFIX"]
        # Inside the prefix's drive C: the chooser's tree reaches it in two steps.
        self.data = os.path.join(self.prefix, "drive_c", DATA_FOLDER)
        self.shots = os.path.join(self.work, "screenshots")
        self.wine = shutil.which("wine64") or shutil.which("wine")
        self.program = None
        self.probe = None
        self.form = None
        self.origin = (0, 0)
        self.dpi = (96, 96)

    # --- set-up and tear-down -------------------------------------------------

    def prepare_prefix(self):
        ready = os.path.join(self.prefix, ".extorra-ready")
        if os.path.exists(ready):
            return
        log("creating Wine prefix " + self.prefix)
        os.makedirs(self.prefix, exist_ok=True)
        subprocess.run([self.wine, "wineboot", "-i"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90, check=True)
        open(ready, "w").close()

    def prepare_data(self):
        shutil.rmtree(self.data, ignore_errors=True)
        files = {"SONG.QRB": "song", "keep.txt": "keep", "qrb": "bare", ".qrb": "dot", "clash.qrb": "clash",
                 "clash.ZEM": "already there", "sub/inner.qrb": "inner", "album.qrb/track.Qrb": "track"}
        for name, content in files.items():
            path = os.path.join(self.data, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as out:
                out.write(content)

    def data_files(self):
        found = {}
        for folder, _, names in os.walk(self.data):
            for name in names:
                path = os.path.join(folder, name)
                with open(path) as content:
                    found[os.path.relpath(path, self.data).replace(os.sep, "/")] = content.read()
        return found


    def start(self):
        shutil.rmtree(self.shots, ignore_errors=True)
        os.makedirs(self.shots)
        self.prepare_prefix()
        self.prepare_data()
        self.program = subprocess.Popen([self.wine, "explorer", "/desktop=%s,%s" % (DESKTOP, DESKTOP_SIZE),
                                         self.args.program], env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.probe = Probe(self.wine, self.args.probe, self.env)
        check(self.probe.ask("desktop", DESKTOP, 20000, timeout=30)["ok"], "virtual desktop did not appear")
        self.form = self.probe.ask("find", "Rename_Form", FORM_CAPTION, 20000, timeout=30)["hwnd"]
        check(self.form, "window \"%s\" did not appear" % FORM_CAPTION)
        dpi = self.probe.ask("dpi")
        self.dpi = (dpi["x"], dpi["y"])
        self.origin = self.desktop_origin()

    def desktop_origin(self):
        """Where Wine's desktop window sits on the X screen."""
        found = subprocess.run(["xdotool", "search", "--name", DESKTOP], capture_output=True, text=True)
        for window in found.stdout.split():
            shape = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                                   text=True).stdout
            values = dict(line.split("=", 1) for line in shape.split() if "=" in line)
            if values.get("WIDTH") + "x" + values.get("HEIGHT", "") == DESKTOP_SIZE:
                return int(values["X"]), int(values["Y"])
        return 0, 0

    def stop(self):
        if self.probe:
            self.probe.quit()
        stop_wine(self.env)
        if self.program:
            try:
                self.program.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.program.kill()

    # --- looking and acting -----------------------------------------------------

    def tree(self, hwnd=None):
        return self.probe.ask("tree", hwnd or self.form)

    def controls(self):
        """Every control of the form by name, with its tree entry."""
        found = {}

        def walk(node):
            for child in node["children"]:
                for name, ident in IDS.items():
                    if child["id"] == ident:
                        found[name] = child
                walk(child)

        walk(self.tree())
        return found

    def screenshot(self, name):
        path = os.path.join(self.shots, name)
        subprocess.run(["import", "-window", "root", path], check=False, timeout=20)
        log("screenshot " + path)
        return path

    def click_at(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + x), str(self.origin[1] + y), "click", "1"],
                       check=True)
        time.sleep(0.2)

    def click_control(self, name):
        control = self.controls()[name]
        left, top = control["screen"]
        width, height = control["rect"][2], control["rect"][3]
        self.click_at(left + width // 2, top + height // 2)

    def keys(self, *names):
        subprocess.run(["xdotool", "key", "--delay", "40"] + list(names), check=True)
        time.sleep(0.2)

    def set_text(self, name, text):
        for _ in range(3):
            self.click_control(name)
            self.keys("End", *(["BackSpace"] * 8))
            if text:
                subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
                time.sleep(0.2)
            if self.controls()[name]["text"] == text:
                return
        raise Failure("could not type \"%s\" into %s" % (text, name))

    def focus_id(self):
        return self.probe.ask("focus", self.form)["id"]

    def wait_focus(self, ident, seconds=5):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.focus_id() == ident:
                return True
            time.sleep(0.1)
        return False

    def dialogs(self):
        return [window for window in self.probe.ask("list")["windows"] if window["class"] == "#32770"]

    def wait_dialog(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = self.dialogs()
            if found:
                return found
            time.sleep(0.2)
        return []

    def press_rename(self):
        """Clicks the button until a dialog answers (the click is retried once if nothing came)."""
        for _ in range(2):
            self.click_control("button")
            found = self.wait_dialog(8)
            if found:
                check(len(found) == 1, "more than one dialog at once: %r" % found)
                return found[0]
        raise Failure("pressing the button opened nothing")

    def visible_children(self, hwnd, window_class):
        return [child for child in self.tree(hwnd)["children"]
                if child["class"].lower() == window_class.lower() and child["visible"]]

    def close_message(self, box, name):
        """Checks the box shows exactly one OK button, screenshots it, and presses OK."""
        buttons = self.visible_children(box["hwnd"], "Button")
        check([b["text"] for b in buttons] == ["OK"], "message box buttons are %r" % [b["text"] for b in buttons])
        self.screenshot(name)
        self.probe.ask("click", buttons[0]["hwnd"])
        check(self.probe.ask("gone", box["hwnd"], 10000, timeout=15)["gone"], "message box did not close")

    def expect_message(self, box, title, text, icon, shot):
        check(box["text"] == title, "message box title %r, expected %r" % (box["text"], title))
        texts = [s["text"] for s in self.visible_children(box["hwnd"], "Static") if s["text"]]
        check(texts == [text], "message box texts %r, expected %r" % (texts, text))
        shown = self.probe.ask("icon", box["hwnd"])["icon"]
        check(shown == icon, "message box icon %r, expected %r" % (shown, icon))
        self.close_message(box, shot)
        log("message %r / %r / icon %s" % (title, text, icon))

    # --- the checks -----------------------------------------------------------

    def check_window(self):
        form = self.tree()
        check(form["text"] == FORM_CAPTION, "caption %r" % form["text"])
        check(form["class"] == "Rename_Form", "window class %r" % form["class"])
        expected_client = [pixels(2655, self.dpi[0]), pixels(2010, self.dpi[1])]
        check(form["client"] == expected_client, "client area %r, expected %r" % (form["client"], expected_client))
        top_ids = [child["id"] for child in form["children"]]
        check(top_ids == [IDS["button"], IDS["frame"], IDS["check"]], "form children in order %r" % top_ids)
        frame = next(child for child in form["children"] if child["id"] == IDS["frame"])
        frame_ids = [child["id"] for child in frame["children"]]
        check(frame_ids == [IDS["initial"], IDS["new"], IDS["label"]], "frame children in order %r" % frame_ids)
        controls = self.controls()
        for name, (left, top, width, height) in TWIPS.items():
            control = controls[name]
            expected = [pixels(left, self.dpi[0]), pixels(top, self.dpi[1]), pixels(width, self.dpi[0]),
                        pixels(height, self.dpi[1])]
            check(control["rect"] == expected, "%s at %r, expected %r" % (name, control["rect"], expected))
            check(control["text"] == TEXTS[name], "%s text %r" % (name, control["text"]))
        self.check_kinds(controls)
        log("window, texts, positions and nesting as designed (dpi %r)" % (self.dpi,))

    def check_kinds(self, controls):
        kinds = {"button": ("button", {0, 1}), "frame": ("button", {7}), "check": ("button", {3}),
                 "initial": ("edit", None), "new": ("edit", None), "label": ("static", {0})}
        for name, (window_class, styles) in kinds.items():
            control = controls[name]
            check(control["class"].lower() == window_class, "%s is a %s" % (name, control["class"]))
            if styles is not None:
                check(control["style"] & 0xF in styles, "%s style %#x" % (name, control["style"]))
            takes_tab = name in ("button", "initial", "new", "check")
            check(bool(control["style"] & WS_TABSTOP) == takes_tab, "%s tab stop" % name)
        check(controls["check"]["check"] == 0, "recursion is ticked at start")
        check(controls["frame"]["exstyle"] & WS_EX_CONTROLPARENT, "frame does not pass the tab on")
        check(not controls["initial"]["style"] & 0x4, "text box is multi-line")

    def check_tab_order(self):
        form = self.tree()
        left, top = form["client_origin"]
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + left + 5), str(self.origin[1] + top + 5)],
                       check=True)
        check(self.focus_id() == IDS["button"], "focus at start is on %r" % self.focus_id())
        order = []
        for _ in range(4):
            self.keys("Tab")
            order.append(self.focus_id())
        expected = [IDS["initial"], IDS["new"], IDS["check"], IDS["button"]]
        check(order == expected, "tab order %r, expected %r" % (order, expected))
        log("tab order button, initial, new, recursion")

    def check_wrong_lengths(self, before):
        cases = [("qr", "zem", "Invalid Initial Extension (wrong length)", "02-invalid-initial-extension.png"),
                 ("qrbx", "zem", "Invalid Initial Extension (wrong length)", "02b-invalid-initial-extension.png"),
                 ("qrb", "ze", "Invalid New Extension (wrong length)", "03-invalid-new-extension.png")]
        for initial, new, text, shot in cases:
            self.set_text("initial", initial)
            self.set_text("new", new)
            box = self.press_rename()
            self.expect_message(box, "Extorra", text, "none", shot)
            check(not self.dialogs(), "another dialog followed the length message")
            check(self.wait_focus(IDS["button"]), "focus did not come back to the button")
        check(self.data_files() == before, "files changed after a refused run")

    def open_chooser(self):
        chooser = self.press_rename()
        statics = [s["text"] for s in self.visible_children(chooser["hwnd"], "Static")]
        check("Choose Folder" in statics, "chooser shows %r, no \"Choose Folder\"" % statics)
        return chooser

    def chooser_button(self, chooser, ident):
        buttons = [b for b in self.visible_children(chooser["hwnd"], "Button") if b["id"] == ident]
        check(buttons, "chooser has no button %d" % ident)
        return buttons[0]

    def select_folder(self, chooser, folder):
        """Asks the chooser to select the folder until its tree shows it selected."""
        for _ in range(20):
            check(self.probe.ask("select", chooser["hwnd"], folder)["ok"], "chooser refused the selection")
            if self.probe.ask("selected", chooser["hwnd"])["text"] == DATA_FOLDER:
                return
            time.sleep(0.3)
        raise Failure("the chooser never selected " + folder)

    def check_cancel(self, before):
        chooser = self.open_chooser()
        self.probe.ask("click", self.chooser_button(chooser, 2)["hwnd"])
        check(self.probe.ask("gone", chooser["hwnd"], 10000, timeout=15)["gone"], "chooser did not close")
        check(not self.wait_dialog(2), "a message followed the cancelled chooser")
        check(self.data_files() == before, "files changed after a cancelled run")
        log("cancelled chooser: no message, nothing renamed")

    def check_rename(self):
        self.set_text("initial", "qrb")
        self.set_text("new", "ZEM")
        self.click_control("check")
        check(self.controls()["check"]["check"] == 1, "recursion did not tick")
        before = self.data_files()
        self.check_cancel(before)
        chooser = self.open_chooser()
        folder = "C:\\" + DATA_FOLDER
        self.select_folder(chooser, folder)
        self.screenshot("04-chooser.png")
        self.probe.ask("click", self.chooser_button(chooser, 1)["hwnd"])
        box = self.wait_dialog(15)
        check(box, "no message after choosing the folder")
        self.expect_message(box[0], "Extorra", "Error renaming '%s\\clash.qrb'." % folder, "none",
                            "05-error-renaming.png")
        box = self.wait_dialog(15)
        check(box, "no closing message")
        self.expect_message(box[0], "Finished...", "All Files Renamed.", "information", "06-all-files-renamed.png")
        expected = {"SONG.ZEM": "song", "keep.txt": "keep", "qrb": "bare", ".ZEM": "dot", "clash.qrb": "clash",
                    "clash.ZEM": "already there", "sub/inner.ZEM": "inner", "album.qrb/track.ZEM": "track"}
        check(self.data_files() == expected, "files on disk: %r" % self.data_files())
        log("files renamed as expected")

    def check_close(self):
        self.probe.ask("close", self.form)
        check(self.probe.ask("gone", self.form, 10000, timeout=15)["gone"], "window did not close")

    def run(self):
        self.start()
        time.sleep(0.5)
        self.screenshot("01-start.png")
        self.check_window()
        self.check_tab_order()
        self.check_wrong_lengths(self.data_files())
        self.check_rename()
        self.check_close()


def prefix_environment(work):
    prefix = os.path.join(os.path.realpath(work), "wine-prefix")
    return dict(os.environ, WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")


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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    missing = missing_tools()
    if missing:
        print("extorra window test skipped: missing " + ", ".join(missing))
        return SKIP
    if os.environ.get("EXTORRA_GUI_DISPLAY") != "1":
        # Start again on a private virtual display.
        env = dict(os.environ, EXTORRA_GUI_DISPLAY="1")
        command = ["xvfb-run", "-a", "-s", "-screen 0 " + X_SCREEN, sys.executable] + sys.argv
        try:
            return subprocess.run(command, env=env, timeout=OVERALL_SECONDS + 30).returncode
        except subprocess.TimeoutExpired:
            print("extorra window test FAILED: timed out")
            stop_wine(prefix_environment(args.work))
            return 1

    session = Session(args)
    started = time.monotonic()
    try:
        session.run()
    except (Failure, subprocess.SubprocessError, OSError, KeyError, ValueError) as error:
        print("extorra window test FAILED: %s" % error)
        session.screenshot("failure.png")
        return 1
    finally:
        session.stop()
    log("passed in %.1f s" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
