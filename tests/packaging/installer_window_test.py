#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""The Windows installer under Wine, on the shared window-test driver
(tests/gui/), in a fresh Wine prefix of its own:

  1. a silent install (/S) of an earlier version into
     "C:\\Program Files\\ZEM Tools", then of this one into another folder
     (/D=), which first removes the earlier one, puts the programs, the
     read-me and the uninstaller there, the Start-menu shortcuts, the uninstall
     entry (of this version), the "Make ZLK links" verb on .cue files, and
     registers Pathwick;
  2. a second silent install goes into the same folder and keeps the
     settings written beside the programs;
  3. the verb's command line runs the installed Tessarine's command-line
     mode on a cue sheet: the links are written, no window shows;
  4. the installed PathwickHost shows the registered control;
  5. the silent uninstall removes what was installed, the shortcuts and
     every registry key (the registry exports taken before the install and
     after the uninstall are equal), and leaves the settings and a file of
     the user's beside the programs, in their folder;
  6. before all that, a silent install into a folder of the user's (/D=) that
     holds files and no installation ends with a failure and changes nothing,
     and on the folder page "Install" says why and stays on the page.
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from window_driver import WindowSession, check, log, main  # noqa: E402

PRODUCT = "ZEM Tools"
DEFAULT_DIR = "C:\\Program Files\\ZEM Tools"
INSTALL_DIR = "C:\\ZEMTools"  # /D= takes the rest of the command line, unquoted: no spaces here
FILES = ["Extorra.exe", "Pathwick.dll", "PathwickHost.exe", "ReadMe.txt", "Tessarine.exe", "uninstall.exe",
         "zem.dll", "zemtool.exe"]
SHORTCUTS = ["Extorra.lnk", "Pathwick Explorer.lnk", "Tessarine.lnk"]
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + PRODUCT
VERB_KEY = "HKLM\\Software\\Classes\\SystemFileAssociations\\.cue\\shell\\ZemTools.MakeLinks"
PROG_ID_KEY = "HKCR\\PathwickControl.Explorer\\CLSID"
# The keys a part of the installation may write in; those Wine lacks before (PropertySystem) must be gone after.
SNAPSHOT_KEYS = ["HKLM\\Software\\Classes", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                 "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\PropertySystem",
                 "HKLM\\Software\\Microsoft\\Windows Media Foundation", "HKLM\\Software\\Microsoft\\MediaPlayer"]
DATA_FOLDER = "installer-data"
FOREIGN_DIR = "C:\\Documents"
# A folder of the user's, and the files a user keeps beside the programs: none may be touched.
USER_FILES = {"ReadMe.txt": b"my own read-me\r\n", "Tessarine.ini": b"[General]\r\nNaming Template=TITLE\r\n"}
KEPT_FILES = {"Tessarine.ini": b"[General]\r\nNaming Template=TITLE\r\n", "Pathwick.ini": b"[Explorer]\r\n",
              "notes.txt": b"mine\r\n"}
SHEET = ("PERFORMER \"Corvane\"\r\nTITLE \"Samples\"\r\nFILE \"sample.zem\" WAVE\r\n"
         "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
         "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    INDEX 01 00:02:00\r\n")
LINKS = ["Corvane - Samples - 01 - One.zlk", "Corvane - Samples - 02 - Two.zlk"]
TESSARINE_CAPTION = "Quillon Image & CUE System"


class InstallerSession(WindowSession):
    desktop = "InstallerTest"

    def __init__(self, args):
        super().__init__(args)
        inputs = dict(item.split("=", 1) for item in args.data)
        self.version = inputs["version"]
        self.previous = inputs["previous"]
        # The DirectShow source filter, the property handler and the Media Foundation source, in builds that have them.
        self.servers = [name for name in inputs.get("servers", "").split(",") if name]
        self.files = sorted(FILES + self.servers)
        self.sample = inputs["sample"]
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.default_dir = os.path.join(self.drive_c, "Program Files", PRODUCT)
        self.install_dir = os.path.join(self.drive_c, INSTALL_DIR[3:])
        self.menu_dir = os.path.join(self.drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                                     PRODUCT)
        self.data = os.path.join(self.drive_c, DATA_FOLDER)

    # --- Wine commands ------------------------------------------------------------

    def wine_run(self, *arguments, timeout=90):
        return subprocess.run([self.wine] + list(arguments), env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=timeout)

    def query(self, key):
        """The values of a registry key as {name: data}, or None when there is no such key."""
        done = self.wine_run("reg", "query", key)
        if done.returncode != 0:
            return None
        values = {}
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            parts = line.strip().split("    ")
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def registry_snapshot(self, name):
        exported = b""
        for number, key in enumerate(SNAPSHOT_KEYS):
            path = os.path.join(self.work, "%s-%d.reg" % (name, number))
            if os.path.exists(path):
                os.remove(path)
            exported += key.encode("utf-16-le")
            # A key that is not there exports nothing (and fails).
            if self.wine_run("reg", "export", key, path).returncode == 0:
                with open(path, "rb") as data:
                    exported += data.read()
        return exported

    # --- steps --------------------------------------------------------------------

    def prepare_fresh(self):
        """A new prefix on every run: nothing of an earlier run may count."""
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
        shutil.rmtree(self.prefix, ignore_errors=True)
        self.prepare()
        os.makedirs(self.data)
        shutil.copyfile(self.sample, os.path.join(self.data, "sample.zem"))
        with open(os.path.join(self.data, "Samples.cue"), "w", newline="") as sheet:
            sheet.write(SHEET)

    def install(self, what, installer=None, *options):
        started = time.monotonic()
        done = self.wine_run(installer or self.args.program, "/S", *options)
        check(done.returncode == 0, "the %s ended with %d" % (what, done.returncode))
        log("%s in %.1f s" % (what, time.monotonic() - started))

    def check_installed(self):
        present = sorted(os.listdir(self.install_dir))
        check(present == self.files, "installed files %r" % present)
        shortcuts = sorted(os.listdir(self.menu_dir))
        check(shortcuts == SHORTCUTS, "Start-menu shortcuts %r" % shortcuts)
        entry = self.query(UNINSTALL_KEY)
        check(entry is not None, "no uninstall entry")
        expected = {"DisplayName": PRODUCT, "DisplayVersion": self.version, "Publisher": "ZEM Tools developers",
                    "InstallLocation": INSTALL_DIR, "UninstallString": "\"%s\\uninstall.exe\"" % INSTALL_DIR}
        for name, value in expected.items():
            check(entry.get(name) == value, "uninstall entry %s = %r, expected %r" % (name, entry.get(name), value))
        size_kb = int(entry.get("EstimatedSize", "0"), 16)
        files_kb = sum(os.path.getsize(os.path.join(self.install_dir, name)) for name in self.files) // 1024
        check(abs(size_kb - files_kb) <= len(self.files), "EstimatedSize %d KB for %d KB of files" % (size_kb, files_kb))
        check(self.query(VERB_KEY).get("(Default)") == "Make ZLK links", "the verb's name is %r" % self.query(VERB_KEY))
        check(self.verb_command() == "\"%s\\Tessarine.exe\" \"%%1\"" % INSTALL_DIR,
              "the verb runs %r" % self.verb_command())
        check(self.query(PROG_ID_KEY) is not None, "Pathwick's control class is not registered")
        server = self.query("HKCR\\CLSID\\%s\\InprocServer32" % self.query(PROG_ID_KEY)["(Default)"])
        check(server is not None and server.get("(Default)", "").lower() == (INSTALL_DIR + "\\Pathwick.dll").lower(),
              "the control's server is %r" % server)
        if self.servers:
            installed = self.registry_snapshot("registry-installed")
            for name in self.servers:
                # As a .reg file writes it: backslashes doubled.
                server = (INSTALL_DIR + "\\" + name).replace("\\", "\\\\").encode("utf-16-le")
                check(server in installed, "%s is not registered" % name)
        log("installed: %d files, %d shortcuts, uninstall entry (%d KB), verb, control class%s"
            % (len(present), len(shortcuts), size_kb, "".join(", " + name for name in self.servers)))

    def verb_command(self):
        return self.query(VERB_KEY + "\\command").get("(Default)")

    def check_reinstall(self):
        """Installing again over the same version works and keeps the programs' settings."""
        settings = os.path.join(self.install_dir, "Tessarine.ini")
        with open(settings, "w", newline="") as ini:
            ini.write("[General]\r\nNaming Template=ARTIST - ALBUM - TRACK# - TITLE\r\n")
        self.install("re-install")
        check(os.path.exists(settings), "the re-install lost Tessarine.ini")
        os.remove(settings)
        self.check_installed()

    def check_pathwick_host(self):
        self.start_desktop([INSTALL_DIR + "\\PathwickHost.exe"])
        host = self.find_window("-", "Pathwick Host", seconds=30)
        classes = set()

        def walk(node):
            for child in node["children"]:
                classes.add(child["class"].lower())
                walk(child)

        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and not {"systreeview32", "syslistview32"} <= classes:
            walk(self.tree(host))
            time.sleep(0.3)
        check({"pathwickexplorer", "systreeview32", "syslistview32"} <= classes,
              "the host shows no Explorer control: %r" % sorted(classes))
        self.screenshot("pathwick-host.png")
        self.close_window(host)
        log("PathwickHost shows the registered control")

    def check_verb(self):
        cue = "C:\\%s\\Samples.cue" % DATA_FOLDER
        command = self.verb_command().replace("%1", cue)
        answer = self.run_watched(command, TESSARINE_CAPTION)
        check(not answer["seen"], "Tessarine showed its dialog for " + command)
        check(answer["exit"] == 0, "Tessarine ended with %d" % answer["exit"])
        written = sorted(name for name in os.listdir(self.data) if name.endswith(".zlk"))
        check(written == LINKS, "the verb wrote %r" % written)
        with open(os.path.join(self.data, LINKS[0]), "rb") as link:
            text = link.read()
        check(text.startswith(b"[Quillon Image Link File]\r\nImage File=sample.zem\r\nStart Block=0\r\n"
                              b"Finish Block=88200\r\n"), "the first link starts %r" % text[:100])
        check(not os.path.exists(os.path.join(self.install_dir, "Tessarine.ini")), "the command line wrote settings")
        log("the verb ran Tessarine's command-line mode: %r" % written)

    def write_files(self, folder, files):
        os.makedirs(folder, exist_ok=True)
        for name, content in files.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(content)

    def read_files(self, folder):
        if not os.path.isdir(folder):
            return None
        files = {}
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as data:
                files[name] = data.read()
        return files

    def check_foreign_folder(self):
        """A silent install into a folder that holds someone's files is refused and writes nothing."""
        folder = os.path.join(self.drive_c, FOREIGN_DIR[3:])
        self.write_files(folder, USER_FILES)
        done = self.wine_run(self.args.program, "/S", "/D=" + FOREIGN_DIR)
        check(done.returncode != 0, "the install into %s (not ours, not empty) succeeded" % FOREIGN_DIR)
        check(self.read_files(folder) == USER_FILES, "the refused install changed %s: %r"
              % (FOREIGN_DIR, sorted(self.read_files(folder))))
        check(self.query(UNINSTALL_KEY) is None, "the refused install wrote its uninstall entry")
        log("the install into a folder of the user's ended with %d and changed nothing" % done.returncode)
        # On the folder page, "Install" says why and stays on the page.
        self.start_desktop([self.args.program, "/D=" + FOREIGN_DIR])
        caption = "%s %s Setup" % (PRODUCT, self.version)
        found = [window["hwnd"] for window in self.wait_dialog(30) if window["text"].strip() == caption]
        check(found, "the setup's window did not appear")
        setup = found[0]
        install = self.controls_by_id(setup).get(1)
        check(install is not None and install["text"] == "&Install", "no Install button on the folder page")
        self.press(install["hwnd"])
        boxes = self.wait_dialog(20, exclude=(setup,))
        check(boxes, "no message after Install in a folder of the user's")
        texts = self.message_texts(boxes[0])
        check(len(texts) == 1 and texts[0].startswith(FOREIGN_DIR + " holds other files"), "the message says %r" % texts)
        self.close_message(boxes[0], "foreign-folder.png")
        check(self.probe.ask("gone", setup, 1000, timeout=5)["gone"] is False, "the setup ended after the message")
        self.stop()
        check(self.read_files(folder) == USER_FILES, "the folder page changed %s" % FOREIGN_DIR)
        shutil.rmtree(folder)
        log("the folder page refuses a folder of the user's with %r" % texts[0][:60])

    def uninstall(self):
        self.stop()  # the desktop, the probe and the wine server of the checks above
        self.write_files(self.install_dir, KEPT_FILES)
        started = time.monotonic()
        done = self.wine_run(INSTALL_DIR + "\\uninstall.exe", "/S")
        check(done.returncode == 0, "the uninstaller ended with %d" % done.returncode)
        # The uninstaller runs on from a copy of itself in the temporary folder.
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and (sorted(self.read_files(self.install_dir) or {}) != sorted(KEPT_FILES)
                                               or self.query(UNINSTALL_KEY)):
            time.sleep(0.5)
        left = self.read_files(self.install_dir)
        check(left == KEPT_FILES, "the uninstaller left %r, expected the user's files %r"
              % (left and sorted(left), sorted(KEPT_FILES)))
        shutil.rmtree(self.install_dir)
        check(not os.path.exists(self.menu_dir), "the Start-menu folder is still there")
        check(self.query(UNINSTALL_KEY) is None, "the uninstall entry is still there")
        log("uninstall in %.1f s" % (time.monotonic() - started))

    def run(self):
        self.prepare_fresh()
        before = self.registry_snapshot("registry-before")
        self.check_foreign_folder()
        # The earlier version in the default folder; this one, installed
        # elsewhere, removes it through its uninstaller.
        self.install("install of the earlier version", self.previous)
        check(self.query(UNINSTALL_KEY).get("DisplayVersion") == "0.9.0", "the earlier version is not installed")
        check(os.path.exists(os.path.join(self.default_dir, "Tessarine.exe")), "nothing in " + DEFAULT_DIR)
        self.install("install over it", None, "/D=" + INSTALL_DIR)
        check(not os.path.exists(self.default_dir), "the earlier installation is left")
        self.check_installed()
        self.check_reinstall()
        self.check_pathwick_host()
        self.check_verb()
        self.uninstall()
        after = self.registry_snapshot("registry-after")
        check(after == before, "the registry differs after the uninstall (see %s)" % self.work)
        log("the registry is as it was before the install")


if __name__ == "__main__":
    sys.exit(main(InstallerSession, "installer", 360))
