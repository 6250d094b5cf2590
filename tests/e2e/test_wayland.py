#!/usr/bin/env python3
"""A Wayland session: weston on its headless backend, with XWayland.

Through XWayland (the program's own choice there) weston's window manager keeps
no layers: the program says so once and runs on. With Qt's Wayland platform
forced, the program never learns where its windows are: the layout stored by an
X11 run comes through the run unchanged, and the run ends in order."""

import configparser
import os
import re
import shutil
import subprocess

from x11session import Home, check, run_test, wait_until

NOTICE = "cannot keep the panels beneath other windows"
SOCKET = "wayland-larkspan"
SETTINGS = "[todo]\nvisible=true\n[currency]\nvisible=true\n"


def placements(home):
    """Every stored position and size, as "section/key": value."""
    ini = configparser.ConfigParser(interpolation=None, strict=False)
    ini.optionxform = str
    ini.read_string(home.settings())
    return {f"{s}/{k}": v for s in ini.sections() for k, v in ini[s].items() if re.search(r"geometry|userPlaced", k)}


def start_weston(session, root):
    """weston on its headless backend; the X display of its XWayland, or None."""
    log = os.path.join(root, "weston.log")
    session.spawn(["weston", "--backend=headless-backend.so", f"--socket={SOCKET}", "--xwayland",
                   "--width=1920", "--height=1080", f"--log={log}"])
    listening = re.compile(r"xserver listening on display (:\d+)")
    found = wait_until(lambda: os.path.exists(log) and listening.search(open(log).read()), 15)
    if not found or not wait_until(lambda: os.path.exists(os.path.join(session.runtime, SOCKET)), 15):
        return None
    return found.group(1)


def run_in_weston(home, name, **env):
    """Starts the program in the Wayland session, waits for the notice and stops
    it; the notices it said."""
    app = home.start("--no-tray", log=True, **{"DISPLAY": None, "WAYLAND_DISPLAY": SOCKET, **env})
    said = wait_until(lambda: NOTICE in app.log(), 30)
    app.stop()
    return app.log().count(NOTICE) if said else 0


def body(session, root):
    home = Home(session, root, items=["notes.txt", "song.mp3"], settings=SETTINGS)
    # An X11 run stores the layout: the panels, the to-do list and the converter.
    app = home.start("--no-tray")
    app.wait_for(["Documents", "To-do"])
    app.stop()
    stored = placements(home)
    wanted = ["panel/documents\\geometry", "todo/geometry", "currency/geometry"]
    check(all(key in stored for key in wanted), "an X11 run stores the layout")

    xwayland = start_weston(session, root)
    if not check(xwayland is not None, "weston runs headless with XWayland"):
        return
    said = run_in_weston(home, "Qt's Wayland platform", QT_QPA_PLATFORM="wayland")
    check(placements(home) == stored, "a run that cannot know its windows' positions keeps the stored layout")
    check(said == 1, f"Qt's Wayland platform: the panels floating among windows is said once ({said})")

    said = run_in_weston(home, "XWayland", DISPLAY=xwayland)
    check(said == 1, f"XWayland: weston's window manager keeps no layers, which is said once ({said})")


if __name__ == "__main__":
    plugins = subprocess.run(["qtpaths6", "--query", "QT_INSTALL_PLUGINS"], capture_output=True,
                             text=True).stdout.strip() if shutil.which("qtpaths6") else ""
    tools = ["weston", "Xwayland"]
    if not os.path.exists(os.path.join(plugins, "platforms", "libqwayland-generic.so")):
        tools.append("qt6-wayland")  # the platform plugin: reported missing
    run_test(body, tools=tools)
