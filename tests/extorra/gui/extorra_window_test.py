#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Window test of Extorra.exe, on the shared window-test driver (tests/gui/).

Besides reading and typing, the probe makes the shell's folder chooser select
the prepared folder (the chooser is the real one; the program has no test-only
behaviour).
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "gui"))
from window_driver import WS_EX_CONTROLPARENT, WS_TABSTOP, Failure, WindowSession, check, log, main, pixels  # noqa: E402

DESKTOP = "ExtorraTest"
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


class ExtorraSession(WindowSession):
    desktop = DESKTOP

    def __init__(self, args):
        super().__init__(args)
        # Inside the prefix's drive C: the chooser's tree reaches it in two steps.
        self.data = os.path.join(self.prefix, "drive_c", DATA_FOLDER)
        self.form = None

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
        self.prepare()
        self.prepare_data()
        self.start_program()
        self.form = self.find_window("Rename_Form", FORM_CAPTION)

    def tree(self, hwnd=None):
        return super().tree(hwnd or self.form)

    def controls(self):
        """Every control of the form by name, with its tree entry."""
        by_id = self.controls_by_id(self.form)
        return {name: by_id[ident] for name, ident in IDS.items() if ident in by_id}

    def click_control(self, name):
        self.click_entry(self.controls()[name])

    def set_text(self, name, text):
        for _ in range(3):
            self.click_control(name)
            self.keys("End", *(["BackSpace"] * 8))
            if text:
                self.type_text(text)
            if self.controls()[name]["text"] == text:
                return
        raise Failure("could not type \"%s\" into %s" % (text, name))

    def focus_id(self, hwnd=None):
        return super().focus_id(hwnd or self.form)

    def wait_focus(self, ident, seconds=5):
        return super().wait_focus(self.form, ident, seconds)

    def press_rename(self):
        """Clicks the button until a dialog answers (the click is retried once if nothing came)."""
        for _ in range(2):
            self.click_control("button")
            found = self.wait_dialog(8)
            if found:
                check(len(found) == 1, "more than one dialog at once: %r" % found)
                return found[0]
        raise Failure("pressing the button opened nothing")

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
        # On a busy machine the chooser may still be up when the next dialog is looked for.
        check(self.probe.ask("gone", chooser["hwnd"], 10000, timeout=15)["gone"], "the folder chooser did not close")
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
        self.close_window(self.form)

    def run(self):
        self.start()
        time.sleep(0.5)
        self.screenshot("01-start.png")
        self.check_window()
        self.check_tab_order()
        self.check_wrong_lengths(self.data_files())
        self.check_rename()
        self.check_close()


if __name__ == "__main__":
    sys.exit(main(ExtorraSession, "extorra", 100))
