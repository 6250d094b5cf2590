#!/usr/bin/env python3
"""The organiser in a real XEmbed tray (trayer) on a real desktop (xfdesktop):
the icon docks in the tray, a click puts all panels away and brings them back,
closing the last panel keeps the program in the tray, and without a tray
(--no-tray, no host at all, or a host that went away) closing it ends the
program with 0 and the desktop's icons back. The settings window switches
start at sign-in and the language of every open window.

usage: test_tray.py <larkspan binary> <artefact folder>"""

import ctypes
import ctypes.util
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import x11session  # noqa: E402
from test_desktop_icons import XFCONFD, Desktop  # noqa: E402

BINARY, ARTEFACTS = sys.argv[1], sys.argv[2]
CATALOGUES = os.path.join(HERE, "..", "..", "resources", "i18n")
TRAYER = ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "200",
          "--heighttype", "pixel", "--height", "32", "--SetDockType", "true"]
# The tray menu's entries from the top as the keyboard walks them (separators are
# skipped, a submenu is one entry). The Tools submenu is there only while
# features offer tools; it is looked for by name so that the walk does not
# depend on it.
MENU = ["Hide all panels", "Tools", "Layout", "Appearance", "Refresh desktop icons", "Start at sign-in",
        "Show the real desktop icons", "Settings…", "Quit"]

# A window of the program inside the tray's tree (xwininfo -tree): size and place on screen.
DOCKED = re.compile(r'\("larkspan" [^)]*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)')

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def translated(code, text):
    with open(os.path.join(CATALOGUES, code + ".json"), encoding="utf-8") as f:
        return json.load(f)[text]


def wait_until(predicate, timeout=10):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(0.1)
    return predicate()


class Organiser:
    def __init__(self, session, desktop, *options):
        self.session = session
        self.desktop = desktop
        self.process = subprocess.Popen([BINARY, *options], env=desktop.env(), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    @property
    def pid(self):
        return self.process.pid

    def windows(self):
        return self.session.windows(self.pid)

    def window_id(self, title):
        found = self.session.run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.pid), "--name",
                                 "^" + title + "$")
        ids = found.stdout.split()
        return ids[0] if ids else None

    def wait_for(self, titles, timeout=15):
        return self.session.wait_for_windows(self.pid, titles, timeout)

    def tray_icon(self, trayer_window):
        """The icon's window when it is docked in the tray: (x, y, w, h), else None."""
        tree = self.session.run("xwininfo", "-tree", "-id", trayer_window).stdout
        for line in tree.splitlines():
            found = DOCKED.search(line)
            if found and int(found.group(1)) > 1:
                return tuple(int(found.group(i)) for i in (3, 4, 1, 2))
        return None

    def close_window(self, title):
        wid = self.window_id(title)
        if wid:
            # As a close button does: WM_DELETE_WINDOW to the window itself. Panels
            # are docks, which a window manager neither decorates nor closes.
            send_delete_window(self.desktop.env()["DISPLAY"], int(wid))
        return wid is not None

    def ended(self, timeout=10):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        code = self.ended(15)
        if code is None:
            self.process.kill()
            self.process.wait()
        return code


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def send_delete_window(display_name, window):
    """Sends the WM_DELETE_WINDOW client message a window manager sends."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        return False
    event = _ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", False)
    event.format = 32
    event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", False)
    event.data[1] = 0  # CurrentTime
    xlib.XSendEvent(display, window, False, 0, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)
    return True


def click(session, rect, button=1):
    x, y, w, h = rect
    session.run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2))
    time.sleep(0.2)
    session.run("xdotool", "click", str(button))
    time.sleep(0.6)


def pick_from_tray_menu(session, icon, entry):
    """Opens the tray menu and chooses an entry with the keyboard."""
    click(session, icon, 3)
    for _ in range(menu_position(entry)):
        session.run("xdotool", "key", "Down")
        time.sleep(0.05)
    session.run("xdotool", "key", "Return")
    time.sleep(0.8)


def menu_position(entry):
    """How many Down presses reach an entry of the open tray menu: counted by
    the entry's name in the menu's order, never by a fixed number."""
    return MENU.index(entry) + 1


def write_settings(desktop, language=None, tools_shown=True):
    """tools_shown False: the to-do list and the currency converter start hidden,
    so that the icon panel is the only window and closing it closes the last one."""
    config = os.path.join(desktop.home, ".config", "brim-vale")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "brim-vale.conf"), "w") as f:
        f.write("[autostart]\ndecided=true\n")
        if language:
            f.write(f"[ui]\nlanguage={language}\n")
        if not tools_shown:
            f.write("[todo]\nvisible=false\n[currency]\nvisible=false\n")


def main():
    needed = ["trayer", "wmctrl", "xwininfo", "xfdesktop", "xfconf-query"]
    missing = x11session.missing_tools() + [t for t in needed if shutil.which(t) is None]
    if not os.path.exists(XFCONFD):
        missing.append(XFCONFD)
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(ARTEFACTS, exist_ok=True)
    with tempfile.TemporaryDirectory() as root, x11session.Session() as session:
        desktop = Desktop(session, root)
        with open(os.path.join(desktop.home, "Desktop", "photo.png"), "w") as f:
            f.write("x")
        desktop.start_desktop()
        trayer = session._spawn(TRAYER)
        trayer_window = None
        if wait_until(lambda: session.run("xdotool", "search", "--onlyvisible", "--class", "trayer").stdout.strip()):
            trayer_window = session.run("xdotool", "search", "--onlyvisible", "--class", "trayer").stdout.split()[0]
        check(trayer_window is not None, "the tray is up")
        if trayer_window:
            in_tray(session, desktop, trayer_window)
            settings_window(session, desktop, trayer_window)
            last_panel_with_tray(session, desktop, trayer_window)
            tray_goes_away(session, desktop, trayer, trayer_window)
    # A session that never had a tray, on a desktop of its own.
    with tempfile.TemporaryDirectory() as root, x11session.Session() as session:
        desktop = Desktop(session, root)
        desktop.start_desktop()
        without_tray(session, desktop)
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


def in_tray(session, desktop, trayer_window):
    write_settings(desktop)
    app = Organiser(session, desktop)
    windows = app.wait_for(["Documents", "Images"])
    check("Documents" in windows and "Images" in windows, "the panels show")
    icon = None
    wait_until(lambda: app.tray_icon(trayer_window) is not None)
    icon = app.tray_icon(trayer_window)
    check(icon is not None, "the tray icon docks in the tray")
    if not icon:
        app.stop()
        return
    session.screenshot(os.path.join(ARTEFACTS, "e2e-tray.png"))

    click(session, icon)
    check(wait_until(lambda: not any(t in app.windows() for t in ["Documents", "Images"])),
          "a click on the tray icon hides every panel")
    click(session, icon)
    check(wait_until(lambda: all(t in app.windows() for t in ["Documents", "Images"])),
          "another click brings them all back")

    click(session, icon, 3)
    time.sleep(0.5)
    session.screenshot(os.path.join(ARTEFACTS, "e2e-tray-menu.png"))
    session.run("xdotool", "key", "Escape")
    time.sleep(0.3)

    # Start at sign-in from the tray menu: the entry in the autostart folder comes and goes.
    entry = os.path.join(desktop.home, ".config", "autostart", "Larkspan.desktop")
    check(not os.path.exists(entry), "no autostart entry after the first run was decided")
    pick_from_tray_menu(session, icon, "Start at sign-in")
    check(wait_until(lambda: os.path.exists(entry), 5), "'Start at sign-in' writes the autostart entry")
    if os.path.exists(entry):
        text = open(entry).read()
        check(f'Exec="{os.path.realpath(BINARY)}"' in text, "its Exec runs this program, quoted")
    pick_from_tray_menu(session, icon, "Start at sign-in")
    check(wait_until(lambda: not os.path.exists(entry), 5), "switching it off removes the entry")
    check(app.stop() == 0, "SIGTERM ends the organiser with a tray with 0")


def settings_window(session, desktop, trayer_window):
    write_settings(desktop)
    app = Organiser(session, desktop)
    app.wait_for(["Documents"])
    wait_until(lambda: app.tray_icon(trayer_window) is not None)
    icon = app.tray_icon(trayer_window)
    if not icon:
        check(False, "the tray icon docks for the settings window")
        app.stop()
        return
    pick_from_tray_menu(session, icon, "Settings…")
    title = "Larkspan — Settings"
    check(title in app.wait_for([title], 5), "'Settings…' opens the settings window")
    wid = app.window_id(title)
    if not wid:
        app.stop()
        return
    session.run("xdotool", "windowactivate", "--sync", wid)
    time.sleep(0.3)
    session.screenshot(os.path.join(ARTEFACTS, "e2e-settings.png"))

    # The first switch has the focus: start at sign-in.
    entry = os.path.join(desktop.home, ".config", "autostart", "Larkspan.desktop")
    session.run("xdotool", "key", "space")
    check(wait_until(lambda: os.path.exists(entry), 5), "the settings switch writes the autostart entry")
    session.run("xdotool", "key", "space")
    check(wait_until(lambda: not os.path.exists(entry), 5), "and removes it again")

    # The language list: every open window follows at once.
    session.run("xdotool", "key", "Tab", "Tab")
    choose_language(session, "Deutsch")
    german = translated("de", title)
    windows = app.wait_for([german, "Dokumente"], 5)
    check(german in windows, "the settings window's title is German")
    check("Dokumente" in windows and "Documents" not in windows, "the open panels are German")
    settings = open(os.path.join(desktop.home, ".config", "brim-vale", "brim-vale.conf")).read()
    check("language=de" in settings, "the choice is stored")

    choose_language(session, None, index=2)  # Arabic, after "System" and English
    arabic = translated("ar", title)
    windows = app.wait_for([arabic, translated("ar", "Documents")], 5)
    check(arabic in windows, "the settings window's title is Arabic")
    check(translated("ar", "Documents") in windows, "the open panels are Arabic")
    time.sleep(0.5)
    session.screenshot(os.path.join(ARTEFACTS, "e2e-settings-ar.png"))
    check(app.stop() == 0, "the organiser ends with 0")


def choose_language(session, name, index=None):
    session.run("xdotool", "key", "F4")  # opens the list
    time.sleep(0.4)
    if name:
        session.run("xdotool", "type", "--delay", "60", name)
    else:
        session.run("xdotool", "key", "Home")
        for _ in range(index):
            session.run("xdotool", "key", "Down")
    session.run("xdotool", "key", "Return")
    time.sleep(1.0)


def last_panel_with_tray(session, desktop, trayer_window):
    write_settings(desktop, tools_shown=False)
    app = Organiser(session, desktop, "--single")
    check("Desktop" in app.wait_for(["Desktop"]), "one panel for everything")
    check(not {"To-do", "Currency conversion"} & set(app.windows()), "the tools stay hidden as stored")
    wait_until(lambda: app.tray_icon(trayer_window) is not None)
    app.close_window("Desktop")
    check(wait_until(lambda: "Desktop" not in app.windows(), 5), "closing the last panel hides it")
    time.sleep(1)
    check(app.process.poll() is None, "the organiser keeps running in the tray")
    check(desktop.style() == "0", "the desktop icons stay hidden")
    icon = app.tray_icon(trayer_window)
    check(icon is not None, "the tray icon stays")
    if icon:
        click(session, icon)
        check(wait_until(lambda: "Desktop" in app.windows()), "a click on the tray icon brings the panel back")
    check(app.stop() == 0, "the organiser ends with 0")
    check(desktop.wait_style(None), "the desktop icons are back")


def tray_goes_away(session, desktop, trayer, trayer_window):
    write_settings(desktop)
    app = Organiser(session, desktop, "--single")
    app.wait_for(["Desktop"])
    check(wait_until(lambda: app.tray_icon(trayer_window) is not None), "docked before the tray goes")
    trayer.terminate()
    trayer.wait(5)
    time.sleep(3)  # the program looks for its tray every two seconds
    app.close_window("Desktop")
    check(app.ended() == 0, "with the tray gone, closing the last panel ends the organiser with 0")
    check(desktop.wait_style(None), "and gives the desktop icons back")


def without_tray(session, desktop):
    for options, what in [(["--no-tray", "--single"], "--no-tray"), (["--single"], "no tray at all")]:
        write_settings(desktop)
        app = Organiser(session, desktop, *options)
        check("Desktop" in app.wait_for(["Desktop"]), f"{what}: the panel shows")
        check(desktop.wait_style("0"), f"{what}: the desktop icons are hidden (style {desktop.style()})")
        time.sleep(0.5)
        app.close_window("Desktop")
        check(app.ended() == 0, f"{what}: closing the last panel ends the organiser with 0")
        check(desktop.wait_style(None), f"{what}: the desktop icons are back")


if __name__ == "__main__":
    sys.exit(main())
