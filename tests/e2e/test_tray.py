#!/usr/bin/env python3
"""The organiser in a real XEmbed tray (trayer) on a real desktop (xfdesktop):
the icon docks in the tray, a click puts all panels away and brings them back,
closing the last panel keeps the program in the tray, and without a tray
(--no-tray, no host at all, or a host that went away) closing it ends the
program with 0 and the desktop's icons back. The settings window switches
start at sign-in and the language of every open window."""

import json
import os
import re
import time

HERE = os.path.dirname(os.path.abspath(__file__))
from x11session import BINARY, XFCONFD, Home, check, run_test, wait_until

TRAYER = ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "200",
          "--heighttype", "pixel", "--height", "32", "--SetDockType", "true"]
# The tray menu's entries from the top as the keyboard walks them (separators are
# skipped, a submenu is one entry); entries are reached by name, never by a fixed count.
MENU = ["Hide all panels", "Tools", "Layout", "Appearance", "Refresh desktop icons", "Start at sign-in",
        "Show the real desktop icons", "Settings…", "Quit"]
LAYOUT = ["Lock layout", "Tidy panels", "New folder panel…", "Save layout…", "Restore layout", "Export layout…", "Import layout…"]
# A window of the program inside the tray's tree (xwininfo -tree): size and place on screen.
DOCKED = re.compile(r'\("larkspan" [^)]*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)')
PANELS = ["Documents", "Images"]
SETTINGS = "Larkspan — Settings"
TRAY_CHECK_SECONDS = 2  # how often the program looks for its tray


def translated(code, text):
    with open(os.path.join(HERE, "..", "..", "resources", "i18n", code + ".json"), encoding="utf-8") as f:
        return json.load(f)[text]


class Tray:
    def __init__(self, session, window):
        self.session, self.window = session, window

    def icon(self):
        """The icon's window when it is docked in the tray: (x, y, w, h), else None."""
        for line in self.session.run("xwininfo", "-tree", "-id", self.window).stdout.splitlines():
            found = DOCKED.search(line)
            if found and int(found.group(1)) > 1:
                return tuple(int(found.group(i)) for i in (3, 4, 1, 2))
        return None

    def centre(self):
        x, y, w, h = self.icon()
        return x + w // 2, y + h // 2

    def pick(self, entry, *keys):
        """Opens the tray menu and chooses an entry with the keyboard; keys lead on into its submenu."""
        self.session.open_menu(*self.centre())
        self.session.run("xdotool", "key", *["Down"] * (MENU.index(entry) + 1), *keys, "Return")

    def layout(self, entry, *keys):
        """Chooses an entry of the "Layout" submenu."""
        self.pick("Layout", "Right", *["Down"] * LAYOUT.index(entry), *keys)
        time.sleep(0.5)  # until the dialog shows or the panels are remade


def start(home, *options, tools_shown=True):
    """tools_shown False: the to-do list and the currency converter start hidden,
    so that the icon panel is the only window and closing it closes the last one."""
    home.write_settings("[autostart]\ndecided=true\n" + ("" if tools_shown else
                                                         "[todo]\nvisible=false\n[currency]\nvisible=false\n"))
    return home.start(*options)


def tray_and_settings(session, home, tray):
    app = start(home)
    check(set(PANELS) <= set(app.wait_for(PANELS)), "the panels show")
    if not check(wait_until(tray.icon) is not None, "the tray icon docks in the tray"):
        return app.stop()
    session.screenshot("e2e-tray.png")
    session.click(*tray.centre())
    check(wait_until(lambda: not set(PANELS) & set(app.windows())), "a click on the tray icon hides every panel")
    session.click(*tray.centre())
    check(wait_until(lambda: set(PANELS) <= set(app.windows())), "another click brings them all back")

    # A layout saved from the tray comes back after a panel was moved, and the restore can be undone.
    saved = app.windows()["Documents"]
    tray.layout("Save layout…")
    session.run("xdotool", "windowactivate", "--sync", str(session.window_ids(app.pid).get("Save layout…", 0)))
    session.run("xdotool", "type", "--delay", "60", "before the move")
    session.run("xdotool", "key", "Return")
    x, y, w, h = saved
    session.drag((x + w // 3, y + 20), (x + w // 3 - 150, y + 120))
    moved = app.windows()["Documents"]
    tray.layout("Restore layout", "Right")  # the newest first
    check(moved != saved and wait_until(lambda: app.windows().get("Documents") == saved, 5),
          "restoring the saved layout puts the moved panel back")
    tray.layout("Restore layout", "Right")  # the layout the restore replaced, kept by it
    check(wait_until(lambda: app.windows().get("Documents") == moved, 5), "restoring again undoes the restore")
    session.open_menu(*tray.centre())
    session.screenshot("e2e-tray-menu.png")
    session.run("xdotool", "key", "Escape")

    # Start at sign-in, from the tray menu and from the settings window (its
    # first switch has the focus): the entry in the autostart folder comes and goes.
    entry = os.path.join(home.path, ".config", "autostart", "Larkspan.desktop")
    check(not os.path.exists(entry), "no autostart entry after the first run was decided")
    title = SETTINGS
    for how, toggle in [("the tray menu", lambda: tray.pick("Start at sign-in")),
                        ("the settings window", lambda: session.run("xdotool", "key", "space"))]:
        if how == "the settings window":
            tray.pick("Settings…")
            if not check(title in app.wait_for([title], 5), "'Settings…' opens the settings window"):
                return app.stop()
            session.run("xdotool", "windowactivate", "--sync", str(session.window_ids(app.pid)[title]))
            session.screenshot("e2e-settings.png")
        for on in [True, False]:
            toggle()
            check(wait_until(lambda: os.path.exists(entry) == on, 5),
                  f"{how} switches the autostart entry {'on' if on else 'off'}")
            if on and os.path.exists(entry):
                check(f'Exec="{os.path.realpath(BINARY)}"' in open(entry).read(), "its Exec runs this program, quoted")

    # The language list, past the other two switches (F4 opens it): every open window follows at once.
    session.run("xdotool", "key", "Tab", "Tab", "Tab")
    for code, keys in [("de", ["type", "--delay", "60", "Deutsch"]),
                       ("ar", ["key", "Home", "Down", "Down"])]:  # Arabic, after "System" and English
        session.run("xdotool", "key", "F4")
        time.sleep(0.4)  # until the list is open
        session.run("xdotool", *keys)
        session.run("xdotool", "key", "Return")
        titles = [translated(code, title), translated(code, "Documents")]
        windows = app.wait_for(titles, 5)
        check(all(t in windows for t in titles) and "Documents" not in windows,
              f"[{code}] the settings window and the open panels are translated")
        check(f"language={code}" in home.settings(), f"[{code}] the choice is stored")
    session.screenshot("e2e-settings-ar.png")
    app.stop()


def close_last_panel(home, app, what):
    app.close_window("Desktop")
    check(app.ended() == 0, f"{what}: closing the last panel ends the organiser with 0")
    check(home.wait_style(None), f"{what}: the desktop icons are back")


def with_tray(session, root):
    home = Home(session, root, items=["notes.txt", "photo.png"])
    home.start_xfce()
    trayer = session.spawn(TRAYER)
    found = wait_until(lambda: session.run("xdotool", "search", "--onlyvisible", "--class", "trayer").stdout.split())
    if not check(bool(found), "the tray is up"):
        return
    tray = Tray(session, found[0])
    tray_and_settings(session, home, tray)

    app = start(home, "--single", tools_shown=False)
    check("Desktop" in app.wait_for(["Desktop"]), "one panel for everything")
    check(not {"To-do", "Currency conversion"} & set(app.windows()), "the tools stay hidden as stored")
    if not check(wait_until(tray.icon) is not None, "the tray icon docks"):
        return app.stop()
    app.close_window("Desktop")
    check(wait_until(lambda: "Desktop" not in app.windows(), 5), "closing the last panel hides it")
    check(app.ended(1) is None, "the organiser keeps running in the tray")
    check(home.style() == "0", "the desktop icons stay hidden")
    if check(tray.icon() is not None, "the tray icon stays"):
        session.click(*tray.centre())
        check(wait_until(lambda: "Desktop" in app.windows()), "a click on the tray icon brings the panel back")
        # Starting the program again shows the running one: its panel and the settings window.
        app.close_window("Desktop")
        check(wait_until(lambda: "Desktop" not in app.windows(), 5), "the panel is put away again")
        check(home.start("--single").ended() == 0, "a second start ends with 0")
        shown = app.wait_for(["Desktop", SETTINGS])
        check({"Desktop", SETTINGS} <= set(shown), f"the running one shows its panel and settings ({shown})")
        app.close_window(SETTINGS)
    trayer.terminate()
    trayer.wait(5)
    time.sleep(TRAY_CHECK_SECONDS + 1)  # nothing outside shows when the program has noticed
    close_last_panel(home, app, "the tray gone")


def without_tray(session, root):
    """A session that never had a tray, on a desktop of its own."""
    home = Home(session, root, items=["notes.txt"])
    home.start_xfce()
    for options, what in [(["--no-tray", "--single"], "--no-tray"), (["--single"], "no tray at all")]:
        app = start(home, *options)
        check("Desktop" in app.wait_for(["Desktop"]), f"{what}: the panel shows")
        check(home.wait_style("0"), f"{what}: the desktop icons are hidden (style {home.style()})")
        close_last_panel(home, app, what)


if __name__ == "__main__":
    run_test(with_tray, without_tray, tools=["trayer", "wmctrl", "xwininfo", "xfdesktop", "xfconf-query", XFCONFD])
