#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Window test of Tessarine.exe, on the shared window-test driver (tests/gui/).

Runs the program from a folder of its own inside the test's Wine prefix (so
its "Tessarine.ini" is the test's), first from the command line (links built,
no window, settings untouched; also under another program name), then
interactively: the dialog's controls and layout, a typed template, three cue
sheets dropped at once and the completion report, the help box, the open-file
dialog (cancelled, then used) and the settings written on close.
"""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "gui"))
from window_driver import (WS_EX_ACCEPTFILES, WS_EX_TOPMOST, WS_TABSTOP, Failure, WindowSession,  # noqa: E402
                           check, log, main)

CAPTION = "Quillon Image & CUE System"
APP_FOLDER = "tessarine-app"
DATA_FOLDER = "tessarine-gui-data"
DEFAULT_TEMPLATE = "ARTIST - ALBUM - TRACK# - TITLE"
TEMPLATES = [DEFAULT_TEMPLATE, "ARTIST - TITLE", "(TRACK#) TITLE"]
# id -> (class, text, (left, top, width, height) in dialog units); -1 are the unnamed statics.
CONTROLS = [
    (-1, "static", "File naming template:", (7, 7, 67, 8)),
    (1004, "combobox", None, (7, 20, 182, 110)),
    (1003, "button", "Help...", (193, 19, 50, 14)),
    (-1, "static", "", (7, 42, 236, 1)),
    (1001, "button", "&Build Link File(s)", (7, 51, 236, 14)),
    (-1, "static", "(note: drag-n-drop CUE file(s) to this dialog to quickly create ZLK files)", (7, 70, 236, 8)),
]
HELP_TEXT = "\r\n".join([
    "You can create filenames using any combination of letters and keywords.", "",
    "These keywords will be replaced by the corresponding values for each track:",
    "     ARTIST", "     ALBUM", "     TITLE", "     TRACK#", "", "Example:",
    "     Naming template: \"ARTIST - ALBUM - TRACK# - TITLE\"",
    "     Resulting filename: \"Corvane - Tallowmere - 09 - Wrenfall.zlk\""])
SS_CENTER, SS_ETCHEDHORZ, CBS_DROPDOWN = 0x1, 0x10, 0x2
WS_EX_STATICEDGE = 0x00020000
CBS_SORT = 0x100
# Track 1's title lacks its closing quote and runs over three line ends;
# track 2's holds BEL, ESC and 0x01. Each control character becomes "-".
CONTROLS_SHEET = ("PERFORMER \"P\"\r\nTITLE \"Album\"\r\nFILE \"Controls.zem\" WAVE\r\n  TRACK 01 AUDIO\r\n"
                  "    TITLE \"Open\r\n    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n"
                  "    TITLE \"Bell\x07Esc\x1bOne\x01\"\r\n    INDEX 01 00:02:33\r\n")
CONTROLS_LINKS = ["01 - Open--    INDEX 01 00-00-00--  TRACK 02 AUDIO--    TITLE .zlk", "02 - Bell-Esc-One-.zlk",
                  "Controls.cue"]
SHEET = ("PERFORMER \"%s\"\r\nTITLE \"%s\"\r\nFILE \"%s.zem\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n"
         "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    INDEX 01 00:02:33\r\n")


def mul_div(value, numerator, denominator):
    return (value * numerator + denominator // 2) // denominator


class TessarineSession(WindowSession):
    desktop = "TessarineTest"

    def __init__(self, args):
        super().__init__(args)
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.app = os.path.join(self.drive_c, APP_FOLDER)
        self.data = os.path.join(self.drive_c, DATA_FOLDER)
        self.ini = os.path.join(self.app, "Tessarine.ini")
        self.album = dict(item.split("=", 1) for item in args.data)["album"]
        self.dialog = None

    # --- data -------------------------------------------------------------------

    def prepare_files(self):
        for folder in (self.app, self.data):
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
        shutil.copyfile(self.args.program, os.path.join(self.app, "Tessarine.exe"))
        shutil.copyfile(self.args.program, os.path.join(self.app, "links.EXE"))
        for folder in ("cmdline", "renamed", "drop", "chosen", "controls"):
            os.makedirs(os.path.join(self.data, folder))
        for name in ("Tallowmere.cue", "Tallowmere.zem"):
            shutil.copyfile(os.path.join(self.album, name), os.path.join(self.data, "cmdline", name))
            shutil.copyfile(os.path.join(self.album, name), os.path.join(self.data, "drop", name))
        self.write(os.path.join(self.data, "renamed", "Renamed.cue"), SHEET % ("Ren", "Amed", "Renamed"))
        self.write(os.path.join(self.data, "drop", "Second.cue"), SHEET % ("Sec", "Ond", "Second"))
        self.write(os.path.join(self.data, "drop", "Third.cue"), SHEET % ("Thi", "Rd", "Third"))
        self.write(os.path.join(self.data, "chosen", "Chosen.cue"), SHEET % ("Cho", "Sen", "Chosen"))
        self.write(os.path.join(self.data, "controls", "Controls.cue"), CONTROLS_SHEET)
        self.write(self.ini, "[General]\r\nNaming Template=TRACK# - TITLE\r\nLast Directory=C:\\%s\\drop\\\r\n"
                   % DATA_FOLDER)

    @staticmethod
    def write(path, text):
        with open(path, "w", newline="") as out:
            out.write(text)

    def files(self, folder):
        return sorted(os.listdir(os.path.join(self.data, folder)))

    def ini_bytes(self):
        with open(self.ini, "rb") as data:
            return data.read()

    def dos(self, *parts):
        return "C:\\" + "\\".join((DATA_FOLDER,) + parts)

    # --- command-line runs ------------------------------------------------------

    def run_without_window(self, program, cue):
        """Runs the program with a quoted cue sheet path and checks that no dialog ever showed."""
        command = "\"C:\\%s\\%s\" \"%s\"" % (APP_FOLDER, program, cue)
        answer = self.run_watched(command, CAPTION)
        check(not answer["seen"], "the dialog showed during the command-line run of " + program)
        check(answer["exit"] == 0, "%s ended with %d" % (program, answer["exit"]))

    def check_command_line(self):
        before = self.ini_bytes()
        self.run_without_window("Tessarine.exe", self.dos("cmdline", "Tallowmere.cue"))
        expected = ["01 - Wrenfall.zlk", "02 - Saltglass.zlk", "03 - Lanternfield.zlk", "Tallowmere.cue",
                    "Tallowmere.zem"]
        check(self.files("cmdline") == expected, "command-line run wrote %r" % self.files("cmdline"))
        with open(os.path.join(self.data, "cmdline", "02 - Saltglass.zlk"), "rb") as link:
            text = link.read()
        check(text.startswith(b"[Quillon Image Link File]\r\nImage File=Tallowmere.zem\r\nStart Block=188160\r\n"
                              b"Finish Block=374556\r\n\r\n----- ZEM TAG (DO NOT TOUCH!!!) -----\r\n"),
              "link file starts %r" % text[:140])
        check(self.ini_bytes() == before, "a command-line run changed Tessarine.ini")
        log("command line: links written with the saved template, no window, settings untouched")
        self.run_without_window("links.EXE", self.dos("renamed", "Renamed.cue"))
        check(self.files("renamed") == ["01 - One.zlk", "02 - Two.zlk", "Renamed.cue"],
              "renamed program wrote %r" % self.files("renamed"))
        check(self.ini_bytes() == before, "the renamed program changed Tessarine.ini")
        log("command line under another program name: links written")
        self.run_without_window("Tessarine.exe", self.dos("controls", "Controls.cue"))
        check(self.files("controls") == CONTROLS_LINKS, "control characters gave %r" % self.files("controls"))
        log("command line: control characters in titles become '-' in the names")

    # --- the dialog -------------------------------------------------------------

    def start_dialog(self):
        self.start_program(program=os.path.join(self.app, "Tessarine.exe"))
        self.dialog = self.find_window("#32770", CAPTION)
        time.sleep(0.5)

    def control(self, ident):
        return self.controls_by_id(self.dialog)[ident]

    def check_layout(self):
        tree = self.tree(self.dialog)
        check(tree["exstyle"] & WS_EX_TOPMOST, "dialog is not topmost")
        check(tree["exstyle"] & WS_EX_ACCEPTFILES, "dialog does not accept dropped files")
        units = self.probe.ask("baseunits", "MS Sans Serif", 8)
        bx, by = units["x"], units["y"]
        check(tree["client"] == [mul_div(250, bx, 4), mul_div(85, by, 8)],
              "client area %r for base units %d x %d" % (tree["client"], bx, by))
        children = tree["children"]
        check(len(children) == len(CONTROLS), "%d controls" % len(children))
        for child, (ident, kind, text, (left, top, width, height)) in zip(children, CONTROLS):
            name = "control %d %r" % (ident, text)
            check(child["id"] == ident and child["class"].lower() == kind, "%s is %r" % (name, child))
            if text is not None:
                check(child["text"] == text, "%s reads %r" % (name, child["text"]))
            expected = [mul_div(left, bx, 4), mul_div(top, by, 8), mul_div(width, bx, 4), mul_div(height, by, 8)]
            shown = list(child["rect"])
            if kind == "combobox":
                shown[3] = expected[3]  # the window is the closed box; the list drops below it
            if child["exstyle"] & WS_EX_STATICEDGE:
                shown[2] = child["client"][0]  # the system adds an edge around an etched line
            check(shown == expected, "%s at %r, expected %r" % (name, child["rect"], expected))
        combo_style = children[1]["style"]
        # The scroll bar style goes on to the list part (the resource test checks the template).
        check((combo_style & 0x3) == CBS_DROPDOWN, "combo style %#x" % combo_style)
        check((combo_style & CBS_SORT) == 0, "combo box is sorted")
        check((children[3]["style"] & 0x1F) == SS_ETCHEDHORZ, "the line is no etched line")
        check((children[5]["style"] & 0x1F) == SS_CENTER, "the note is not centred")
        check(children[1]["style"] & WS_TABSTOP, "combo box takes no tab")
        items = self.probe.ask("items", children[1]["hwnd"])["items"]
        check(items == TEMPLATES, "template list %r" % items)
        check(children[1]["text"] == "TRACK# - TITLE", "saved template not shown: %r" % children[1]["text"])
        log("dialog: caption, styles, controls, texts, list items and positions as designed (base units %d x %d)"
            % (bx, by))

    def type_template(self, text):
        combo = self.control(1004)
        for _ in range(3):
            self.click_at(combo["screen"][0] + 20, combo["screen"][1] + combo["rect"][3] // 2)
            self.keys("End", *(["BackSpace"] * 40))
            self.type_text(text)
            if self.control(1004)["text"] == text:
                return
        raise Failure("could not type the template")

    def wait_box(self, caption, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            for box in self.dialogs(exclude=(self.dialog,)):
                if box["text"] == caption:
                    return box
            time.sleep(0.2)
        raise Failure("no box \"%s\"" % caption)

    def check_drop(self, template):
        self.type_template(template)
        self.screenshot("02-template-typed.png")
        paths = [self.dos("drop", name) for name in ("Tallowmere.cue", "Second.cue", "Third.cue")]
        check(self.probe.ask("drop", self.dialog, 60, 40, *paths)["ok"], "drop refused")
        box = self.wait_box("ZLK Creation Report")
        report = self.message_texts(box)
        expected = ("Completion Report:\r\n\r\nFiles successfully processed:\r\n" +
                    "".join("     %s\r\n" % path for path in paths) + "\r\nFiles failed to be processed:\r\n")
        with open(os.path.join(self.work, "completion-report.txt"), "w", newline="") as out:
            out.write("".join(report))
        check(report == [expected.rstrip("\r\n")] or report == [expected], "report reads %r" % report)
        log("completion report read:\n" + report[0])
        self.expect_message(box, "ZLK Creation Report", report[0], "information", "03-completion-report.png")
        written = self.files("drop")
        for name in ("01 - Wrenfall (Corvane).zlk", "03 - Lanternfield (Ilse Marrow).zlk", "02 - Two (Sec).zlk",
                     "01 - One (Thi).zlk"):
            check(name in written, "%s not written by the drop: %r" % (name, written))

    def check_help(self):
        self.click_entry(self.control(1003))
        box = self.wait_box("Filename Help")
        self.expect_message(box, "Filename Help", HELP_TEXT, "information", "04-help.png")

    def open_chooser(self):
        for _ in range(2):
            self.click_entry(self.control(1001))
            try:
                return self.wait_box("Open", 10)
            except Failure:
                pass
        raise Failure("the build button opened no file dialog")

    def check_chooser_fields(self, chooser):
        by_id = self.controls_by_id(chooser["hwnd"])
        filter_items = self.probe.ask("items", by_id[0x470]["hwnd"])["items"]
        check(filter_items == ["CUE Sheet (*.cue)"], "filters %r" % filter_items)
        check(0x410 not in by_id or not by_id[0x410]["visible"], "the read-only box shows")
        name = by_id.get(0x47C) or by_id.get(0x480)
        check(name is not None, "file dialog without a name box")
        return name

    def check_starts_in_drop_folder(self, chooser):
        """The saved last folder is where the file dialog opens, showing its cue sheets."""
        expected = ["Second.cue", "Tallowmere.cue", "Third.cue"]
        deadline = time.monotonic() + 10
        shown = None
        while time.monotonic() < deadline:
            shown = self.probe.ask("listview", chooser["hwnd"])["items"]
            if shown is not None and sorted(shown) == expected:
                return
            time.sleep(0.3)
        raise Failure("file dialog shows %r, expected the drop folder's %r" % (shown, expected))

    def check_chooser(self):
        chooser = self.open_chooser()
        name = self.check_chooser_fields(chooser)
        self.check_starts_in_drop_folder(chooser)
        log("file dialog: filter, hidden read-only box, starts in the last folder with %r" % name["text"])
        self.screenshot("05-open-file-dialog.png")
        self.press(self.control_in(chooser, 2))
        check(self.probe.ask("gone", chooser["hwnd"], 10000, timeout=15)["gone"], "file dialog did not close")
        time.sleep(1)
        check(not self.dialogs(exclude=(self.dialog,)), "a box followed the cancelled file dialog")
        chooser = self.open_chooser()
        name = self.check_chooser_fields(chooser)
        self.check_starts_in_drop_folder(chooser)  # the cancel changed nothing
        check(self.probe.ask("settext", name["hwnd"], self.dos("chosen", "Chosen.cue"))["ok"], "name not set")
        self.press(self.control_in(chooser, 1))
        box = self.wait_box("Success")
        self.expect_message(box, "Success", "Link files sucessfully created.", "information", "06-success.png")
        check("01 - One (Cho).zlk" in self.files("chosen"), "chosen sheet gave %r" % self.files("chosen"))

    def control_in(self, window, ident):
        return self.controls_by_id(window["hwnd"])[ident]["hwnd"]

    def check_close(self, template):
        before = self.ini_bytes()
        self.close_window(self.dialog)
        deadline = time.monotonic() + 10
        while self.ini_bytes() == before and time.monotonic() < deadline:
            time.sleep(0.2)
        text = self.ini_bytes().decode("latin-1")
        check("Naming Template=%s" % template in text, "template not saved: %r" % text)
        check("Last Directory=%s\\" % self.dos("chosen") in text, "last directory not saved: %r" % text)
        log("settings written on close")

    def check_first_start(self):
        """Without a settings file the box shows the default template, which is saved on close."""
        os.remove(self.ini)
        self.start_dialog()
        shown = self.control(1004)["text"]
        check(shown == DEFAULT_TEMPLATE, "first start shows %r" % shown)
        # Enter closes the dialog as in any dialog (and saves, like every close).
        combo = self.control(1004)
        self.click_at(combo["screen"][0] + 20, combo["screen"][1] + combo["rect"][3] // 2)
        self.keys("Return")
        check(self.probe.ask("gone", self.dialog, 10000, timeout=15)["gone"], "Enter did not close the dialog")
        deadline = time.monotonic() + 10
        while not os.path.exists(self.ini) and time.monotonic() < deadline:
            time.sleep(0.2)
        time.sleep(0.5)
        text = self.ini_bytes().decode("latin-1")
        check("Naming Template=%s" % DEFAULT_TEMPLATE in text and "Last Directory=\r\n" in text,
              "first close wrote %r" % text)
        log("first start: default template shown and saved")

    def run(self):
        self.prepare()
        self.prepare_files()
        self.start_desktop()
        self.check_command_line()
        self.start_dialog()
        self.screenshot("01-start.png")
        self.check_layout()
        template = "TRACK# - TITLE (ARTIST)"
        self.check_drop(template)
        self.check_help()
        self.check_chooser()
        self.check_close(template)
        self.check_first_start()


if __name__ == "__main__":
    sys.exit(main(TessarineSession, "tessarine", 170))
