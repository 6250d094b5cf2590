#!/usr/bin/env python3
"""LXQt's desktop, a real pcmanfm-qt --desktop: its items hidden through its own
"Hide Desktop Items" setting while the organiser runs and given back exactly
when it ends (on SIGTERM, on "Quit", and after SIGKILL by the next run), with
the desktop itself still running."""

import configparser
import os
import signal
import subprocess
from pathlib import Path

from x11session import Home, bright_fraction, check, run_test, wait_until

# Each wait polls; pcmanfm-qt restarting its desktop is slow on a loaded machine.
PATIENCE = 30

# Where pcmanfm-qt draws its first item (white label on the black background).
ICON_PLACE = (0, 0, 150, 150)
SERVICE = "org.pcmanfm.PCManFM"


class Desktop:
    """pcmanfm-qt's desktop with the profile LXQt uses, started as a session
    starts it: not a child of the test, since the organiser restarts it."""

    def __init__(self, session, home):
        self.session, self.home = session, home
        self.settings = Path(home.path, ".config", "pcmanfm-qt", "lxqt", "settings.conf")
        self.settings.parent.mkdir(parents=True)
        # The user's own file: a key of theirs in the group, no HideItems.
        self.settings.write_text("[Desktop]\nBgColor=#000000\nFgColor=#ffffff\nWallpaperMode=none\n")
        session.spawn(["sh", "-c", "pcmanfm-qt --desktop --profile=lxqt >/dev/null 2>&1 &"], env=home.env())
        home.wait_for_name(SERVICE)
        check(wait_until(self.icons_drawn, PATIENCE), "pcmanfm-qt draws its items")

    def hide_items(self):
        """HideItems of [Desktop] as written, or None."""
        ini = configparser.ConfigParser(interpolation=None, strict=False)
        ini.optionxform = str
        ini.read_string(self.settings.read_text())
        return ini.get("Desktop", "HideItems", fallback=None)

    def set_hide_items(self, value):
        lines = [line for line in self.settings.read_text().splitlines() if not line.startswith("HideItems=")]
        at = lines.index("[Desktop]") + 1
        self.settings.write_text("\n".join(lines[:at] + [f"HideItems={value}"] + lines[at:]) + "\n")

    def icons_drawn(self, name="e2e-pcmanfm-look.png"):
        return bright_fraction(self.session.screenshot(name), ICON_PLACE) > 0.003

    def icons_gone(self, name="e2e-pcmanfm-look.png"):
        return bright_fraction(self.session.screenshot(name), ICON_PLACE) < 0.0005

    def pids(self):
        """pcmanfm-qt processes on this session's display: the organiser may restart it."""
        return self.session.pids("pcmanfm-qt")

    def end(self):
        for pid in self.pids():
            os.kill(pid, signal.SIGTERM)
        wait_until(lambda: not self.pids(), PATIENCE)


def body(session, root):
    # No to-do or currency panel: they would lie over the place of pcmanfm-qt's item.
    home = Home(session, root, items=["notes.txt"], settings="[todo]\nvisible=false\n[currency]\nvisible=false\n")
    desktop = Desktop(session, home)
    try:
        run(session, home, desktop)
    finally:
        desktop.end()


def run(session, home, desktop):
    # SIGTERM: hidden while running, the absent key absent again afterwards.
    check(desktop.icons_drawn("e2e-pcmanfm-before.png"), "the item is drawn before the start")
    app = home.start("--no-tray")
    check(wait_until(lambda: desktop.hide_items() == "true", PATIENCE), "HideItems=true while the organiser runs")
    app.wait_for(["Documents"])
    check(wait_until(lambda: desktop.icons_gone("e2e-pcmanfm-hidden.png"), PATIENCE), "pcmanfm-qt draws no items")
    check(home.has_name(SERVICE), "its desktop runs on")
    app.stop()
    check(desktop.hide_items() is None, "after SIGTERM HideItems is absent again, as before the start")
    check(wait_until(lambda: desktop.icons_drawn("e2e-pcmanfm-back.png"), PATIENCE), "and the item is drawn again")

    # "Quit" in a panel's menu gives back the user's own value.
    desktop.set_hide_items("false")
    app = home.start("--no-tray")
    check(wait_until(lambda: desktop.hide_items() == "true", PATIENCE), "hidden over the user's HideItems=false")
    check(app.quit_from_menu() == 0, "\"Quit\" ends the organiser with 0")
    check(desktop.hide_items() == "false", "after \"Quit\" HideItems=false is back")
    check(wait_until(lambda: desktop.icons_drawn(), PATIENCE), "and the item is drawn")

    # SIGKILL leaves them hidden; the next run gives back what the killed one replaced.
    app = home.start("--no-tray")
    check(wait_until(lambda: desktop.hide_items() == "true", PATIENCE), "hidden before the kill")
    app.kill(lambda: "pcmanfmHideItems" in home.settings())
    check(desktop.hide_items() == "true" and wait_until(desktop.icons_gone, PATIENCE),
          "a killed organiser leaves the items hidden")
    app = home.start("--no-tray")
    app.wait_for(["Documents"])
    check(desktop.hide_items() == "true", "the next run keeps them hidden")
    app.stop()
    value = desktop.hide_items()
    check(value == "false", f"and gives back the user's HideItems=false when it ends ({value})")
    check(wait_until(lambda: desktop.icons_drawn("e2e-pcmanfm-after-kill.png"), PATIENCE), "the item is drawn again")
    check(home.has_name(SERVICE), "pcmanfm-qt's desktop still runs")

    # A file-manager window lives in the desktop's process, which therefore
    # cannot restart: the items stay, and so do the window and the process.
    before = desktop.hide_items()
    subprocess.run(["pcmanfm-qt", home.path], env=home.env(), timeout=30, capture_output=True)
    pid = desktop.pids()[0]
    window = os.path.basename(home.path)
    check(bool(wait_until(lambda: window in session.windows(pid), PATIENCE)), "a pcmanfm-qt window is open")
    app = home.start("--no-tray")
    app.wait_for(["Documents"])
    # The desktop is asked to end once and given back when it does not: within
    # that time nothing may change, after it the item is drawn.
    untouched = not wait_until(lambda: desktop.hide_items() != before or desktop.pids() != [pid], 6)
    check(untouched, "HideItems and the desktop's process stay as they were")
    check(wait_until(desktop.icons_drawn, PATIENCE), "its item is still drawn")
    app.stop()
    check(window in session.windows(pid) and desktop.hide_items() == before,
          "after the end the window is still open and HideItems unchanged")


if __name__ == "__main__":
    run_test(body, tools=["pcmanfm-qt"])
