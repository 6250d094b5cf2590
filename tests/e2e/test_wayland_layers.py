#!/usr/bin/env python3
"""Panels in a Wayland session of a compositor whose XWayland window manager
keeps layers: KWin (--virtual) or mutter (--headless). The program runs through
XWayland; an application window brought forward covers the unpinned panel and
stays under the pinned one, also after the user clicked the panel, and nothing
is complained about. Argument: kwin or mutter."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from x11session import ARTEFACTS, Home, check, run_test, wait_until
from test_desktop_layer import NOTICE, PINNED, UNPINNED, window_list, xprop

COMPOSITOR = sys.argv[3]
SOCKET = "wayland-larkspan"


def compositor_env(session):
    env = session.env()
    env.pop("DISPLAY")
    return env


def start_kwin(session, root):
    """KWin's X display, or None. A copy of the binary carries no file
    capabilities, which a container may refuse to grant."""
    binary = os.path.join(root, "kwin_wayland")
    shutil.copy(shutil.which("kwin_wayland"), binary)
    with open(os.path.join(ARTEFACTS, "e2e-wayland-kwin.log"), "w") as out:
        kwin = session.spawn([binary, "--virtual", "--xwayland", "--socket", SOCKET, "--width", "1920", "--height",
                              "1080"], env=compositor_env(session), stderr=out)

    def xwayland_display():
        children = subprocess.run(["ps", "-o", "args=", "--ppid", str(kwin.pid)], capture_output=True, text=True)
        found = re.search(r"Xwayland (:\d+)", children.stdout)
        return found and os.path.exists(f"/tmp/.X11-unix/X{found.group(1)[1:]}") and found.group(1)
    return wait_until(xwayland_display, 60) or None


def start_mutter(session, root):
    """mutter's X display, or None. Its XWayland starts with the first X client
    and lets in only holders of the cookie it writes in the runtime folder."""
    log = os.path.join(ARTEFACTS, "e2e-wayland-mutter.log")
    with open(log, "w") as out:
        session.spawn(["mutter", "--headless", "--wayland", "--virtual-monitor", "1920x1080", "--wayland-display",
                       SOCKET], env=compositor_env(session), stderr=out)
    found = wait_until(lambda: re.search(r"Using public X11 display (:\d+)", open(log).read()), 60)
    cookie = wait_until(lambda: next(Path(session.runtime).glob(".mutter-Xwaylandauth.*"), None), 10)
    if not found or not cookie:
        return None
    os.environ["XAUTHORITY"] = str(cookie)  # every X client of this test, through Session.env
    return found.group(1)


def stacking_faults(session, panels, application):
    stack = window_list(xprop(session, "-root", "_NET_CLIENT_LIST_STACKING"))
    if not all(w in stack for w in (panels[UNPINNED], panels[PINNED], application)):
        return ["not every window is in _NET_CLIENT_LIST_STACKING"]
    if not stack.index(panels[UNPINNED]) < stack.index(application) < stack.index(panels[PINNED]):
        return ["the application window is not above the unpinned panel and below the pinned one"]
    return []


def check_stacking(when, session, panels, application):
    wait_until(lambda: not stacking_faults(session, panels, application), 5)
    faults = stacking_faults(session, panels, application)
    check(not faults, f"{COMPOSITOR}, {when}: the stacking is right" + "".join(f"; FAULT: {f}" for f in faults))


def body(session, root):
    home = Home(session, root, items=["notes.txt"], settings="[panel]\nimages\\keepOnTop=true\n")
    # A real picture: a broken one would make the image library complain.
    subprocess.run(["convert", "-size", "16x16", "xc:orange", home.item("photo.png")], check=True)
    display = (start_kwin if COMPOSITOR == "kwin" else start_mutter)(session, root)
    if not check(display is not None, f"{COMPOSITOR} runs headless with XWayland"):
        return
    session.display = display  # from here on every X client of the test talks to the compositor's XWayland
    app = home.start("--no-tray", log=True)
    app.wait_for([UNPINNED, PINNED], 60)
    panels = session.window_ids(app.pid)
    if not check(UNPINNED in panels and PINNED in panels, f"{COMPOSITOR}: both panels are shown"):
        return
    states = {title: xprop(session, "-id", str(panels[title]), "_NET_WM_STATE") for title in (UNPINNED, PINNED)}
    check("_NET_WM_STATE_BELOW" in states[UNPINNED] and "_NET_WM_STATE_ABOVE" in states[PINNED],
          f"{COMPOSITOR}: the panels are on their layers")

    x, y, w, h = session.geometry(panels[UNPINNED])
    work = session.xterm(f"120x50+{max(x - 40, 0)}+{max(y - 40, 0)}", "work", home.env())
    session.run("xdotool", "windowactivate", "--sync", str(work))
    check_stacking("xterm activated", session, panels, work)
    session.screenshot(f"e2e-wayland-{COMPOSITOR}-xterm.png")
    session.click(x + w // 2, y + 20)
    session.run("xdotool", "windowactivate", "--sync", str(work))
    check_stacking("panel clicked, xterm activated again", session, panels, work)
    app.stop()
    check(NOTICE not in app.log(), f"{COMPOSITOR}: a window manager with layers is not complained about")


if __name__ == "__main__":
    tools = ["Xwayland", "xterm", "xprop", "kwin_wayland" if COMPOSITOR == "kwin" else "mutter"]
    run_test(body, tools=tools, window_manager=False)
