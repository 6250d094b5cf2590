#!/usr/bin/env python3
"""Quick hide on a real xfdesktop under openbox: a double-click on the bare
desktop puts every window of the organiser away, panels and loose items, and
the next one brings them back; a double-click on an application's window
(an xterm) does nothing to them, and the desktop keeps its own menu."""

import sys
import time

from x11session import XFCONFD, Home, check, run_test, wait_until

LOOSE = "photo.png"


def inside(point, rect, margin):
    x, y, w, h = rect
    return x - margin <= point[0] < x + w + margin and y - margin <= point[1] < y + h + margin


def double_click(session, point):
    session.run("xdotool", "mousemove", str(point[0]), str(point[1]), "click", "--repeat", "2", "--delay", "80", "1")


def body(session, root):
    home = Home(session, root, items=["notes.txt", LOOSE])
    home.write_layout({"desktopPositions": {home.item(LOOSE): [300, 620]}})
    home.start_xfce()
    desktop = session.processes[-1]  # xfdesktop, started last
    xterm = session.spawn(["xterm", "-geometry", "60x20+900+600"])
    app = home.start("--no-tray")
    # The desktop's own icons make way for the panels; only then is its window bare.
    check(home.wait_style("0"), "xfdesktop's icons are hidden while the organiser runs")
    shown = app.wait_for(["Documents", LOOSE])
    if not check("Documents" in shown and LOOSE in shown, f"a panel and a loose item are shown: {shown}"):
        return app.stop()
    terminal = wait_until(lambda: session.windows(xterm.pid).get("xterm"))
    if not check(bool(terminal), "an xterm is on screen"):
        return app.stop()
    x, y, w, h = terminal
    bare = next((x, y) for y in range(session.size[1] - 100, 100, -40) for x in range(100, session.size[0] - 100, 40)
                if not any(inside((x, y), r, 60) for r in [*shown.values(), terminal]))

    double_click(session, (x + w // 2, y + h // 2))
    time.sleep(1)  # what would have happened by now
    check(app.windows().keys() == shown.keys(), "a double-click on an xterm leaves every window as it was")

    double_click(session, bare)
    check(wait_until(lambda: not app.windows()), f"a double-click on the bare desktop at {bare} hides every window")
    session.screenshot("e2e-quick-hide-hidden.png")
    double_click(session, bare)
    back = wait_until(lambda: app.windows().keys() == shown.keys() and app.windows())
    check(bool(back) and back == shown, f"the next one brings every window back where it was: {back}")
    session.screenshot("e2e-quick-hide-back.png")

    def desktop_windows():
        return set(session.run("xdotool", "search", "--onlyvisible", "--pid", str(desktop.pid), "").stdout.split())
    before = desktop_windows()
    session.click(*bare, button=3)
    check(bool(wait_until(lambda: desktop_windows() - before, 5)), "a right click on the desktop opens its own menu")
    session.screenshot("e2e-quick-hide-desktop-menu.png")
    session.run("xdotool", "key", "Escape")
    app.stop()


if __name__ == "__main__":
    sys.exit(run_test(body, tools=["xfdesktop", "xfconf-query", "xterm", XFCONFD]))
