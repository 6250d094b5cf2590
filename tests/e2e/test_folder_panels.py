#!/usr/bin/env python3
"""A folder panel over a real folder follows it live: a file created, renamed
and deleted by another program shows, changes and goes within a second, and
the folder itself going away is said until it is back. A file
dragged from it onto a category panel then moves to the desktop, under a free
name where the desktop has one of the same name."""

import os
import subprocess
import time
from pathlib import Path

from x11session import Home, bright_fraction, check, run_test, wait_until

FOLDER = "Downloads"
FOLLOW_S = 1.0  # how soon the panel shows a change made from outside
FIRST_ITEM = (66, 84)  # the middle of the first item's icon in a panel, from its corner


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
    home = Home(session, root, items=["report.txt"], bus=False)
    home.write_layout({"folderPanels": [{"id": "folder-1", "name": FOLDER, "path": folder}]})
    app = home.start("--keep-icons", "--no-tray")
    windows = app.settled([FOLDER, "Documents"])
    if not check(FOLDER in windows and "Documents" in windows, "the folder panel, titled with its folder's name, "
                                                               "and the documents panel show"):
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
    # A folder that goes leaves its panel in place, saying so, until it is back.
    os.rmdir(folder)
    check(wait_until(lambda: bright_fraction(shot(), area, "45%") > 0.002, 5), "a folder gone leaves a notice")
    session.screenshot("e2e-folder-panel-gone.png")
    os.makedirs(folder)
    check(wait_until(lambda: bright_fraction(shot(), area, "45%") < 0.001, 5), "the folder back, the notice goes")

    # Dragged onto the documents panel, where the desktop has a file of that name.
    Path(folder, "report.txt").write_text("downloaded")
    check(wait_until(lambda: bright_fraction(shot(), area) > 0.002, 5), "a file written into the folder shows")
    (fx, fy, _, _), (dx, dy, dw, dh) = (app.windows()[title] for title in (FOLDER, "Documents"))
    session.drag((fx + FIRST_ITEM[0], fy + FIRST_ITEM[1]), (dx + dw // 2, dy + dh - 24), steps=20)
    arrived = home.item("report (2).txt")
    check(wait_until(lambda: os.path.exists(arrived) and not os.path.exists(os.path.join(folder, "report.txt")), 10),
          "the dragged file moved to the desktop, under a free name beside the one there")
    check(os.path.exists(arrived) and Path(arrived).read_text() == "downloaded"
          and Path(home.item("report.txt")).read_text() == "x", "both files are whole")
    session.screenshot("e2e-folder-panel-dragged.png")
    app.stop()


if __name__ == "__main__":
    run_test(body)
