#!/usr/bin/env python3
"""The Windows build under Wine: larkspan.exe, deployed with its DLLs, on a
fresh Wine user's Desktop folder filled here. The panels show with their items,
the icon sits in Wine's tray, the first run writes the Run value and the
settings switch removes it again (read with `wine reg query`), a second start
ends at once with 0 and shows the running one, "Quit" from the tray menu ends
the program with 0, and so does the end of the session, after which the next
session starts it from the Run value.
What Wine has no counterpart of is tested against fakes in test_windowsshell:
Explorer's desktop list view, and the window stack of a real Windows desktop
(Wine maps the panels, popup windows without a caption, to X windows that no
window manager stacks, so they float above every other window here)."""

import glob
import os
import subprocess
import time

from x11session import BINARY, check, run_test, send_delete_window, wait_until

PANELS = ["Documents", "Images", "Folders", "System"]
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SETTINGS = "Larkspan — Settings"
TRAY = "Wine System Tray"  # Wine's own tray, shown where no X tray runs
# The tray menu's entries from the top as the keyboard walks them (separators skipped).
MENU = ["Hide all panels", "Tools", "Layout", "Appearance", "Refresh desktop icons", "Start with Windows",
        "Show the real desktop icons", "Settings…", "Quit"]
# A 1x1 PNG, so that the picture is one.
PNG = bytes.fromhex("89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c4890000000d49444154"
                    "78da63f8ffff3f0005fe02fea7d6a5a10000000049454e44ae426082")


class Wine:
    """A Wine prefix of the test's own, on the session's display."""

    def __init__(self, session, root):
        self.session, self.prefix = session, os.path.join(root, "prefix")
        self.env = session.env(WINEPREFIX=self.prefix, WINEARCH="win64", WINEDEBUG="-all",
                               WINEDLLOVERRIDES="mscoree,mshtml=", HOME=root, LANG="C.UTF-8", LC_ALL="C.UTF-8")

    def run(self, *argv, timeout=120):
        return subprocess.run(["wine", *argv], env=self.env, capture_output=True, text=True,
                              errors="replace", timeout=timeout)

    def boot(self):
        return self.run("wineboot", "-i", timeout=300).returncode == 0

    def desktop(self):
        """The Wine user's Desktop folder (Wine links it to HOME's Desktop)."""
        found = [d for d in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "Desktop"))
                 if "/Public/" not in d]
        return os.path.realpath(found[0]) if found else None

    def windows_path(self, path):
        return self.run("winepath", "-w", path).stdout.strip()

    def run_value(self):
        """The Run key's "Larkspan" value, or None when it is absent."""
        out = self.run("reg", "query", RUN_KEY, "/v", "Larkspan")
        if out.returncode != 0:
            return None
        for line in out.stdout.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[0] == "Larkspan":
                return parts[2]
        return None

    def start(self):
        return self.session.spawn(["wine", BINARY], env=self.env)


    def stop_server(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=60)


def titles(session):
    """Titles of the visible windows on the display."""
    ids = session.run("xdotool", "search", "--onlyvisible", "--name", ".").stdout.split()
    names = {}
    for wid in ids:
        name = session.run("xdotool", "getwindowname", wid).stdout.strip()
        if name:
            names[name] = int(wid)
    return names


def tray_icon(session):
    """The centre of the first icon in Wine's tray window, or None."""
    ids = session.run("xdotool", "search", "--onlyvisible", "--name", f"^{TRAY}$").stdout.split()
    if not ids:
        return None
    info = dict(line.strip().split(":", 1) for line in session.run("xwininfo", "-id", ids[0]).stdout.splitlines()
                if ":" in line)
    x, y = int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"])
    size = int(info["Height"])  # the icons are square, side by side from the left
    return (x + size // 2, y + size // 2) if size > 0 else None


def open_menu(session):
    """Opens the tray icon's menu and gives it the keyboard focus, which Wine
    does not give it by itself; whether it opened."""
    session.click(*tray_icon(session), button=3)
    menu = wait_until(lambda: titles(session).get("Larkspan"), 5)
    if menu:
        session.run("xdotool", "windowfocus", "--sync", str(menu))
    return menu is not None


def pick(session, entry):
    """Chooses an entry of the tray icon's menu with the keyboard."""
    if not open_menu(session):
        return False
    # From no selection, Up selects the last entry.
    keys = ["Up"] if entry == MENU[-1] else ["Down"] * (MENU.index(entry) + 1)
    session.run("xdotool", "key", *keys, "Return")
    return True


def windows_build(session, root):
    wine = Wine(session, root)
    os.makedirs(os.path.join(root, "Desktop"))
    if not check(wine.boot(), "a fresh Wine prefix boots"):
        return
    desktop = wine.desktop()
    check(desktop == os.path.join(root, "Desktop"), f"the Wine user's Desktop folder is the test's ({desktop})")
    for name in ["notes.txt", "report.txt"]:
        with open(os.path.join(desktop, name), "w") as f:
            f.write("x")
    with open(os.path.join(desktop, "photo.png"), "wb") as f:
        f.write(PNG)
    os.makedirs(os.path.join(desktop, "Projects"))
    exe = wine.windows_path(BINARY)

    app = wine.start()
    try:
        shown = wait_until(lambda: set(PANELS) <= set(titles(session)), 60)
        check(shown, f"the panels show: {sorted(titles(session))}")
        time.sleep(1)  # let them paint
        session.screenshot("wine-panels.png")
        check(wait_until(lambda: tray_icon(session), 15) is not None, "the icon sits in Wine's tray")
        value = wait_until(wine.run_value, 10)
        check(value is not None and value.lower() == f'"{exe}"'.lower(),
              f"the first run writes the Run value with the quoted path ({value})")

        check(pick(session, "Settings…"), "the tray icon's menu opens")
        settings = wait_until(lambda: titles(session).get(SETTINGS), 10)
        if check(settings is not None, "'Settings…' opens the settings window"):
            # Its first switch, "Start with Windows", has the focus.
            session.run("xdotool", "windowfocus", "--sync", str(settings))
            session.screenshot("wine-settings.png")
            session.run("xdotool", "key", "space")
            check(wait_until(lambda: wine.run_value() is None, 10), "the settings switch removes the Run value")
            session.run("xdotool", "key", "space")
            check(wait_until(lambda: wine.run_value() is not None, 10), "and writes it again")

        # A second start ends at once and asks the running one, over its local
        # channel (a named pipe here), to show itself: its settings window.
        if settings is not None:
            send_delete_window(session.display, settings)
            check(wait_until(lambda: SETTINGS not in titles(session), 10), "the settings window closes")
        second = subprocess.run(["wine", BINARY], env=wine.env, capture_output=True, timeout=60)
        check(second.returncode == 0 and app.poll() is None, "a second start ends at once with 0")
        check(wait_until(lambda: SETTINGS in titles(session), 10), "and the running one shows its settings window")

        if open_menu(session):
            time.sleep(0.5)  # until it is painted
            session.screenshot("wine-tray-menu.png")
            session.run("xdotool", "key", "Escape")
            wait_until(lambda: "Larkspan" not in titles(session), 5)
        check(pick(session, "Quit"), "the tray menu opens again")
        try:
            code = app.wait(30)
        except subprocess.TimeoutExpired:
            code = None
        check(code == 0, f"'Quit' ends the program with 0 ({code})")
        check(wait_until(lambda: not set(PANELS) & set(titles(session)), 10), "and its windows are gone")

        # Signing out and in again: Windows' end of the session ends the program
        # with 0, and the next session starts it from the Run value.
        app = wine.start()
        if check(wait_until(lambda: set(PANELS) <= set(titles(session)), 60), "it starts again"):
            # Not captured: what the next session starts keeps the pipes open.
            subprocess.run(["wine", "wineboot", "--end-session"], env=wine.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=120)
            try:
                code = app.wait(30)
            except subprocess.TimeoutExpired:
                code = None
            check(code == 0, f"the end of the session ends it with 0 ({code})")
            check(wait_until(lambda: set(PANELS) <= set(titles(session)), 60),
                  "the next session starts it from the Run value")
    finally:
        if app.poll() is None:
            app.kill()
        wine.stop_server()


if __name__ == "__main__":
    run_test(windows_build, tools=["wine", "wineserver", "xwininfo"], sizes=((1280, 800),))
