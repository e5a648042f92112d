#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""Window test of the Explorer control, on the shared window-test driver
(tests/gui/), in either of its two hosts: PathwickHost.exe (its own minimal
container) or pathwick_atl_host.exe (the platform's AtlAxWin hosting class).

The control's library is copied into the test's work folder and registered
there with regsvr32, so its settings file lands there too. Two runs:
  1. without a settings file: the desktop is selected, the splitter sits at
     192 and the columns are 168, 74, 97, 57; closing writes the settings;
  2. with a saved "Full Path" to a prepared folder: the list shows exactly its
     files and folders with their sizes; header clicks sort and reverse with
     the arrow; F5 shows a file added meanwhile; Backspace goes to the parent;
     resizing and dragging clamp the splitter 30 pixels from either edge.
Unregistering must leave the registry as it was before registering.
"""

import configparser
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "gui"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from window_driver import Failure, WindowSession, check, log, main  # noqa: E402
from wine_registry import export_classes  # noqa: E402

DATA_FOLDER = "pathwick-data"
PROG_ID = "PathwickControl.Explorer"
WM_KEYDOWN, WM_KEYUP, WM_APP = 0x0100, 0x0101, 0x8000
VK_BACK, VK_F5 = 0x08, 0x74
HDF_RIGHT, HDF_IMAGE, HDF_BITMAP_ON_RIGHT = 0x0001, 0x0800, 0x1000
TVM_SETIMAGELIST, TVM_GETIMAGELIST, LVM_SETIMAGELIST, LVM_GETIMAGELIST = 0x1109, 0x1108, 0x1003, 0x1002
FIVE_GB = 5000000000
# File name -> (size in bytes, size cell).
FILES = {
    "empty.bin": (0, "0KB"),
    "one.bin": (1, "1KB"),
    "k1024.bin": (1024, "1KB"),
    "k1025.bin": (1025, "2KB"),
    "huge.bin": (FIVE_GB, "4,882,813KB"),
}
FOLDERS = ["sub"]


class PathwickSession(WindowSession):
    desktop = "PathwickTest"

    def __init__(self, args):
        super().__init__(args)
        inputs = dict(item.split("=", 1) for item in args.data)
        self.library = inputs["dll"]
        self.host_kind = inputs.get("host", "own")
        self.caption = "Pathwick ATL Host" if self.host_kind == "atl" else "Pathwick Host"
        self.data = os.path.join(self.prefix, "drive_c", DATA_FOLDER)
        self.dll = os.path.join(self.work, "control", "Pathwick.dll")
        self.ini = os.path.join(self.work, "control", "Pathwick.ini")
        self.host = None
        self.parts = {}

    # --- preparing --------------------------------------------------------------

    def prepare_data(self):
        shutil.rmtree(self.data, ignore_errors=True)
        os.makedirs(os.path.join(self.data, "sub"))
        for name, (size, _) in FILES.items():
            with open(os.path.join(self.data, name), "wb") as out:
                out.truncate(size)  # sparse: the 5 GB file takes no room
        shutil.rmtree(os.path.dirname(self.dll), ignore_errors=True)
        os.makedirs(os.path.dirname(self.dll))
        shutil.copy(self.library, self.dll)

    def wine_run(self, *arguments):
        return subprocess.run([self.wine] + list(arguments), env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90).returncode

    def registry_snapshot(self, name):
        return export_classes(self.wine_run, os.path.join(self.work, name))

    def windows_path(self, path):
        return "Z:" + path.replace("/", "\\")

    # --- looking ----------------------------------------------------------------

    def find_parts(self):
        """The tree, the splitter bar and the list inside the host window."""
        self.host = self.find_window("-", self.caption)
        found = {}

        def walk(node):
            for child in node["children"]:
                found.setdefault(child["class"].lower(), child)
                walk(child)

        walk(self.tree(self.host))
        for kind in ("systreeview32", "syslistview32", "pathwickframe", "pathwickexplorer"):
            check(kind in found, "no %s window in the control" % kind)
        self.parts = {"tree": found["systreeview32"], "list": found["syslistview32"],
                      "bar": found["pathwickframe"], "control": found["pathwickexplorer"]}
        return self.parts

    def tree_items(self):
        return self.probe.ask("treeview", self.parts["tree"]["hwnd"])["items"]

    def selected_path(self):
        path = []
        for item in self.tree_items():
            del path[item["level"]:]
            path.append(item["text"])
            if item["selected"]:
                return "\\".join(path)
        return None

    def list_view(self):
        return self.probe.ask("report", self.parts["list"]["hwnd"])

    def header(self):
        return [child for child in self.tree(self.parts["list"]["hwnd"])["children"]
                if child["class"].lower() == "sysheader32"][0]

    def splitter(self):
        return self.find_parts()["bar"]["rect"][0]

    def control_width(self):
        return self.find_parts()["control"]["client"][0]

    def wait_for(self, what, condition, seconds=10):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = what()
            if condition(value):
                return value
            time.sleep(0.2)
        raise Failure("timed out waiting for %s" % getattr(what, "__name__", "a change"))

    def settings(self):
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(self.ini, encoding="latin-1")
        return {section: dict(parser[section]) for section in parser.sections()}

    # --- acting -----------------------------------------------------------------

    def key_to(self, part, key):
        hwnd = self.parts[part]["hwnd"]
        self.probe.ask("send", hwnd, WM_KEYDOWN, key, 1)
        self.probe.ask("send", hwnd, WM_KEYUP, key, 0xC0000001)
        time.sleep(0.3)

    def click_header(self, column):
        header = self.header()
        rect = self.probe.ask("itemrect", header["hwnd"], column)
        check(rect["rect"] is not None, "no header rectangle for column %d" % column)
        left, top = rect["screen"]
        self.click_at(left + rect["rect"][2] // 2, top + rect["rect"][3] // 2)
        time.sleep(0.5)

    def drag_bar_to(self, x):
        bar = self.parts["bar"]
        left, top = bar["screen"]
        start = (self.origin[0] + left + 2, self.origin[1] + top + 40)
        subprocess.run(["xdotool", "mousemove", str(start[0]), str(start[1]), "mousedown", "1"], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + x), str(start[1])], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "mouseup", "1"], check=True)
        time.sleep(0.3)

    def resize_host(self, width, height):
        check(self.probe.ask("move", self.host, 0, 0, width, height)["ok"], "host window did not move")
        time.sleep(0.5)

    def start_host(self):
        self.start_program()
        self.find_parts()
        self.wait_for(self.list_view, lambda view: len(view["columns"]) > 0)

    def close_host(self):
        # The host's window goes once Terminate and the teardown are done; the
        # virtual desktop around it may stay a little longer.
        self.close_window(self.host)

    # --- checks -----------------------------------------------------------------

    def check_first_start(self):
        check(not os.path.exists(self.ini), "a settings file is there before the first start")
        self.start_host()
        items = self.tree_items()
        top = [item["text"] for item in items if item["level"] == 0]
        check(top == ["Desktop"], "top-level nodes %r" % top)
        check(items[0]["selected"] and items[0]["expanded"], "the desktop is not selected and expanded")
        log("tree root %r; its folders %r" % (items[0]["text"], [i["text"] for i in items if i["level"] == 1]))
        check(self.parts["bar"]["rect"][0] == 192 and self.parts["bar"]["rect"][2] == 5,
              "splitter bar at %r" % self.parts["bar"]["rect"])
        check(self.parts["tree"]["rect"][2] == 192, "tree width %d" % self.parts["tree"]["rect"][2])
        check(self.parts["list"]["rect"][0] == 197, "list left %d" % self.parts["list"]["rect"][0])
        columns = self.list_view()["columns"]
        check([c["width"] for c in columns] == [168, 74, 97, 57], "column widths %r" % columns)
        check(all(c["text"] for c in columns), "a column without a title: %r" % columns)
        self.check_image_lists_kept()
        self.screenshot("%s-desktop.png" % self.host_kind)
        self.close_host()
        saved = self.settings()
        check(saved.get("TreeView Settings", {}).get("Full Path") == "Desktop", "saved %r" % saved)
        check(saved.get("Window Settings", {}).get("Splitter Position") == "192", "saved %r" % saved)
        check(saved.get("ListView Settings", {}).get("Column 2 Width") == "74", "saved %r" % saved)

    def check_image_lists_kept(self):
        """The subclassed windows refuse image-list changes and keep the shell's lists."""
        for part, set_message, get_message, which in (("tree", TVM_SETIMAGELIST, TVM_GETIMAGELIST, 0),
                                                      ("list", LVM_SETIMAGELIST, LVM_GETIMAGELIST, 1)):
            hwnd = self.parts[part]["hwnd"]
            before = self.probe.ask("send", hwnd, get_message, which, 0)["result"]
            check(before != 0, "the %s has no image list" % part)
            check(self.probe.ask("send", hwnd, set_message, which, 0)["result"] == 0, "set image list answered")
            check(self.probe.ask("send", hwnd, get_message, which, 0)["result"] == before,
                  "the %s's image list was replaced" % part)

    def write_settings(self, full_path, splitter):
        with open(self.ini, "w", encoding="latin-1", newline="\r\n") as out:
            out.write("[Window Settings]\nSplitter Position=%d\n[TreeView Settings]\nFull Path=%s\n"
                      % (splitter, full_path))

    def list_rows(self):
        view = self.list_view()
        return {row[0]: row for row in view["rows"]}, view

    def check_prepared_folder(self, full_path):
        rows, view = self.list_rows()
        check(sorted(rows) == sorted(list(FILES) + FOLDERS), "rows %r" % sorted(rows))
        for name, (_, cell) in FILES.items():
            check(rows[name][1] == cell, "%s shows size %r, expected %r" % (name, rows[name][1], cell))
            check(rows[name][3] != "", "%s has no modified time" % name)
        check(rows["sub"][1] == "" and rows["sub"][3] == "", "a folder shows a size or time: %r" % rows["sub"])
        log("list rows of %s: %r" % (full_path, view["rows"]))

    def order(self):
        return [row[0] for row in self.list_view()["rows"]]

    def check_sorting(self):
        name_order = self.order()
        files = [name for name in name_order if name in FILES]
        check(files == sorted(files, key=str.lower), "files not in name order: %r" % name_order)
        check(name_order[:len(FOLDERS)] == FOLDERS, "the shell's order puts folders first: %r" % name_order)
        self.click_header(1)  # Size: ascending
        ascending = self.order()
        sizes = [FILES[name][0] for name in ascending if name in FILES]
        # The order is the shell folder's own: by size where its comparison
        # knows the column (Windows), by name where it does not (Wine 8).
        check(sizes == sorted(sizes) or ascending == name_order,
              "size order %r, headers %r" % (ascending, self.list_view()["columns"]))
        column = self.list_view()["columns"][1]
        check(column["format"] & HDF_IMAGE and column["format"] & HDF_RIGHT and column["image"] == 0,
              "size header after one click: %r" % column)
        check(not self.list_view()["columns"][0]["format"] & HDF_IMAGE, "the name header keeps its arrow")
        self.screenshot("%s-sorted-by-size.png" % self.host_kind)
        self.click_header(1)  # and reversed
        descending = self.order()
        check([n for n in descending if n in FILES] == [n for n in reversed(ascending) if n in FILES],
              "second click did not reverse: %r then %r" % (ascending, descending))
        column = self.list_view()["columns"][1]
        check(column["format"] & HDF_IMAGE and column["image"] == 1, "size header after two clicks: %r" % column)
        self.click_header(0)  # back to names, in the direction they had
        name_column = self.list_view()["columns"][0]
        check(name_column["format"] & HDF_IMAGE and name_column["format"] & HDF_BITMAP_ON_RIGHT
              and name_column["image"] == 0, "name header: %r" % name_column)
        check(self.order() == name_order, "name order not restored: %r" % self.order())

    def check_refresh(self):
        with open(os.path.join(self.data, "added.txt"), "w") as out:
            out.write("added meanwhile")
        check("added.txt" not in self.list_rows()[0], "the new file shows before F5")
        self.key_to("list", VK_F5)
        rows = self.wait_for(lambda: self.list_rows()[0], lambda found: "added.txt" in found)
        check(rows["added.txt"][1] == "1KB", "added file size %r" % rows["added.txt"][1])

    def row_point(self, name):
        index = self.order().index(name)
        rect = self.probe.ask("itemrect", self.parts["list"]["hwnd"], index)
        check(rect["rect"] is not None, "no rectangle for row %r" % name)
        return rect["screen"][0] + 30, rect["screen"][1] + rect["rect"][3] // 2

    def check_keys_and_double_click(self, full_path):
        """Ctrl+A selects every row; a double-click on a folder row steps into it."""
        self.write_settings(full_path, 250)  # no column widths: the next selection change saves them
        x, y = self.row_point("one.bin")
        self.click_at(x, y)
        self.keys("ctrl+a")
        view = self.list_view()
        check(view["selected"] == list(range(len(view["rows"]))), "Ctrl+A selected %r" % view["selected"])
        x, y = self.row_point("sub")
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + x), str(self.origin[1] + y), "click",
                        "--repeat", "2", "--delay", "80", "1"], check=True)
        inner = full_path + "\\sub"
        check(self.wait_for(self.selected_path, lambda path: path == inner) == inner, "double-click did not step in")
        check(self.list_view()["rows"] == [], "the empty folder lists %r" % self.list_view()["rows"])
        widths = self.settings().get("ListView Settings", {})
        check(widths.get("Column 1 Width") == "168", "a later selection change saved %r" % widths)
        self.key_to("list", VK_BACK)
        self.wait_for(self.selected_path, lambda path: path == full_path)
        self.wait_for(lambda: len(self.list_rows()[0]), lambda count: count == len(FILES) + len(FOLDERS) + 1)

    def check_backspace(self, full_path):
        self.key_to("list", VK_BACK)
        parent = full_path.rsplit("\\", 1)[0]
        check(self.wait_for(self.selected_path, lambda path: path == parent) == parent, "Backspace did not go up")
        return parent

    def check_splitter(self):
        self.resize_host(240, 300)
        inner = self.control_width()
        check(self.splitter() == inner - 30, "splitter %d in a control %d wide" % (self.splitter(), inner))
        self.resize_host(620, 420)
        self.drag_bar_to(0)
        check(self.splitter() == 30, "dragged to the far left, the splitter is at %d" % self.splitter())
        self.drag_bar_to(639)
        inner = self.control_width()
        check(self.splitter() == inner - 30, "dragged to the far right: %d of %d" % (self.splitter(), inner))
        self.drag_bar_to(self.parts["control"]["screen"][0] + 220)
        return self.splitter()

    def check_atl_dispatch(self):
        """Methods called by name through the dispatch interface of the ATL-hosted control."""
        answer = self.probe.ask("send", self.host, WM_APP + 2, 2, 1)["result"]
        check(answer == 2 * 16 + 1, "SetHeaderIcons through dispatch answered %r" % answer)
        column = self.list_view()["columns"][2]
        check(column["format"] & HDF_IMAGE and column["image"] == 1, "type header after SetHeaderIcons: %r" % column)
        check(self.probe.ask("send", self.host, WM_APP + 1, 0, 0)["result"] == 1, "RefreshFileLists failed")

    def check_saved_start(self, full_path):
        self.write_settings(full_path, 250)
        self.start_host()
        check(self.wait_for(self.selected_path, lambda path: path == full_path) == full_path,
              "saved path not reselected: %r" % self.selected_path())
        check(self.splitter() == 250, "splitter %d, saved 250" % self.splitter())
        check("ListView Settings" not in self.settings(), "start-up saved column widths")
        self.wait_for(lambda: len(self.list_rows()[0]), lambda count: count == len(FILES) + len(FOLDERS))
        self.check_prepared_folder(full_path)
        self.screenshot("%s-prepared-folder.png" % self.host_kind)
        self.check_sorting()
        self.check_refresh()
        self.check_keys_and_double_click(full_path)
        if self.host_kind == "atl":
            self.check_atl_dispatch()
        parent = self.check_backspace(full_path)
        position = self.check_splitter()
        self.screenshot("%s-after-drag.png" % self.host_kind)
        self.close_host()
        saved = self.settings()
        check(saved["TreeView Settings"]["Full Path"] == parent, "saved path %r" % saved)
        check(saved["Window Settings"]["Splitter Position"] == str(position), "saved splitter %r" % saved)

    def find_prepared_path(self):
        """Walks to the prepared folder as a user would: the drive under My Computer."""
        self.write_settings("Desktop\\My Computer", 192)
        self.start_host()
        self.wait_for(self.selected_path, lambda path: path == "Desktop\\My Computer")
        drives = [item for item in self.tree_items() if item["level"] == 2 and item["text"].endswith("(C:)")]
        check(len(drives) == 1, "drive C under My Computer: %r" % [i["text"] for i in self.tree_items()])
        rows = self.list_rows()[0]
        check(drives[0]["text"] in rows, "My Computer's list lacks %r: %r" % (drives[0]["text"], sorted(rows)))
        self.close_host()
        return "Desktop\\My Computer\\%s\\%s" % (drives[0]["text"], DATA_FOLDER)

    def run(self):
        self.prepare()
        self.prepare_data()
        self.wine_run("regsvr32", "/s", "/u", self.windows_path(self.dll))  # what a failed run may have left
        before = self.registry_snapshot("registry-before.reg")
        check(self.wine_run("regsvr32", "/s", self.windows_path(self.dll)) == 0, "regsvr32 failed")
        registered = self.registry_snapshot("registry-registered.reg")
        check(PROG_ID.encode("utf-16-le") in registered, "the ProgID is not registered")
        self.check_first_start()
        full_path = self.find_prepared_path()
        self.check_saved_start(full_path)
        check(self.wine_run("regsvr32", "/s", "/u", self.windows_path(self.dll)) == 0, "regsvr32 /u failed")
        after = self.registry_snapshot("registry-after.reg")
        check(after == before, "the registry differs after regsvr32 /u (see %s)" % self.work)


if __name__ == "__main__":
    sys.exit(main(PathwickSession, "pathwick", 200))
