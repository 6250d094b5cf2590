#!/usr/bin/env python3
"""A folder panel over a real folder follows it live: a file created, renamed
and deleted by another program shows, changes and goes within a second."""

import os
import subprocess
import sys
import time

from x11session import Home, bright_fraction, check, run_test, wait_until

FOLDER = "Downloads"
FOLLOW_S = 1.0  # how soon the panel shows a change made from outside


def body_of(rect):
    """The panel's item area: below the title band, clear of the edges and the grip."""
    x, y, w, h = rect
    return (x + 12, y + 44, w - 36, max(h - 64, 1))


def signature(shot, rect):
    """A digest of what a rectangle of a screenshot shows."""
    x, y, w, h = rect
    return subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-format", "%#", "info:"],
                          capture_output=True, text=True, timeout=30).stdout.strip()


def body(session, root):
    folder = os.path.join(root, FOLDER)
    os.makedirs(folder)
    home = Home(session, root, items=["notes.txt"], bus=False)
    home.write_layout({"folderPanels": [{"id": "folder-1", "name": FOLDER, "path": folder}]})
    app = home.start("--keep-icons", "--no-tray")
    windows = app.settled([FOLDER, "Documents"])
    if not check(FOLDER in windows, "the folder panel shows, titled with its folder's name"):
        return
    x, y, w, h = body_of(windows[FOLDER])
    area = (0, 0, w, h)
    crop = os.path.join(os.path.dirname(session.screenshot("e2e-folder-panel.png")), "e2e-folder-panel-body.png")

    def shot():
        """Only the item area: a whole screen takes longer to grab than the panel takes to follow."""
        session.run("import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", crop)
        return crop
    check(bright_fraction(shot(), area) < 0.001, "the empty folder's panel shows no item")

    def follows(change, shows, what):
        """Timed until the grab that shows the change began."""
        change()
        started = time.time()
        took = None
        while took is None and time.time() - started < 10:
            taken = time.time()
            if shows(shot()):
                took = taken - started
        check(took is not None and took <= FOLLOW_S, f"{what} shows within a second (took {took or 0:.2f} s)")

    path = os.path.join(folder, "report.txt")
    follows(lambda: open(path, "w").close(), lambda s: bright_fraction(s, area) > 0.002, "a file created")
    before = signature(shot(), area)
    renamed = os.path.join(folder, "a far longer name.txt")
    follows(lambda: os.rename(path, renamed), lambda s: signature(s, area) != before, "a file renamed")
    session.screenshot("e2e-folder-panel-renamed.png")
    follows(lambda: os.remove(renamed), lambda s: bright_fraction(s, area) < 0.001, "a file deleted")
    app.stop()


if __name__ == "__main__":
    sys.exit(run_test(body))
