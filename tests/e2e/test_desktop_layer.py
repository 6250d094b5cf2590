#!/usr/bin/env python3
"""Panels on the desktop layer of a real window manager over a real xfdesktop:
an application window brought forward over the panels covers the unpinned one
and stays under the pinned one; a panel raised by force goes back; showing the
desktop leaves the panels on screen; the panels are on every workspace, in no
taskbar or pager, and Alt+Tab passes them by.

Without a window manager ("none") the panels simply show, and nothing is said.

usage: test_desktop_layer.py <larkspan binary> <artefact folder> <openbox|xfwm4|none>"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11session  # noqa: E402

BINARY, ARTEFACTS, WM = sys.argv[1], sys.argv[2], sys.argv[3]
XFCONFD = "/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd"
UNPINNED, PINNED = "Documents", "Images"
# Not pinned by default, and registered with the layer after the icon panels.
TOOL_PANELS = ("To-do", "Currency conversion")

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + f"[{WM}] " + message)
    if not condition:
        failures.append(message)


class Desktop:
    """xfconfd, the window manager, a compositor and xfdesktop on the X
    session's private bus, in a throw-away home."""

    def __init__(self, session, root):
        self.session = session
        self.home = os.path.join(root, "home")
        desktop = os.path.join(self.home, "Desktop")
        os.makedirs(desktop)
        with open(os.path.join(desktop, "notes.txt"), "w") as f:
            f.write("x")
        # A real picture: a broken one would make the image library complain.
        subprocess.run(["convert", "-size", "16x16", "xc:orange", os.path.join(desktop, "photo.png")], check=True)
        # The images panel is pinned "Always on top"; the documents panel is not.
        config = os.path.join(self.home, ".config", "brim-vale")
        os.makedirs(config)
        with open(os.path.join(config, "brim-vale.conf"), "w") as f:
            f.write("[panel]\nimages\\keepOnTop=true\n")

    def env(self, **extra):
        return self.session.env(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                                XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                                XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                                LANG="C.UTF-8", LANGUAGE="", **extra)

    def run(self, *argv):
        return subprocess.run(argv, env=self.env(), capture_output=True, text=True, timeout=30)

    def spawn(self, argv):
        return self.session._spawn(argv, env=self.env())

    def start(self):
        # xfwm4 reads its settings from xfconf, so the settings daemon comes first.
        self.spawn([XFCONFD])
        self.wait_for_name("org.xfce.Xfconf")
        if WM == "xfwm4":
            # Its own compositor stands in for xcompmgr, as on an Xfce desktop.
            self.spawn(["xfwm4"])
        elif WM == "openbox":
            self.spawn(["openbox"])
        if WM != "xfwm4":
            self.spawn(["xcompmgr"])
        if WM != "none":
            self.wait(lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout,
                      "the window manager runs")
        self.spawn(["xfdesktop", "--disable-wm-check"])
        self.wait_for_name("org.xfce.xfdesktop")
        if WM != "none":
            self.wait(lambda: self.desktop_window() is not None, "xfdesktop's window is managed")

    def wait(self, condition, what, timeout=15):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if condition():
                return
            time.sleep(0.1)
        raise RuntimeError(f"timed out: {what}")

    def wait_for_name(self, name):
        self.wait(lambda: "boolean true" in self.run(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus.NameHasOwner", f"string:{name}").stdout, f"{name} on the bus")

    def stacking(self):
        """Client windows from the bottom up, as the window manager announces them."""
        out = self.run("xprop", "-root", "_NET_CLIENT_LIST_STACKING").stdout
        if "#" not in out:
            return []
        return [int(w.strip(), 16) for w in out.split("#", 1)[1].split(",") if w.strip()]

    def prop(self, window, name):
        return self.run("xprop", "-id", str(window), name).stdout

    def desktop_window(self):
        # xfwm4 announces the stacking only once it has two windows to stack.
        out = self.run("xprop", "-root", "_NET_CLIENT_LIST").stdout
        clients = [int(w.strip(), 16) for w in out.split("#", 1)[1].split(",") if w.strip()] if "#" in out else []
        for window in clients:
            if "_NET_WM_WINDOW_TYPE_DESKTOP" in self.prop(window, "_NET_WM_WINDOW_TYPE"):
                return window
        return None

    def active_window(self):
        out = self.run("xprop", "-root", "_NET_ACTIVE_WINDOW").stdout
        return int(out.split("#", 1)[1].split(",")[0], 16) if "#" in out else None

    def viewable(self, window):
        return "IsViewable" in self.run("xwininfo", "-id", str(window)).stdout

    def panels(self, pid):
        """{title: window id} of the visible windows of a process."""
        found = self.run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", ".")
        return {self.run("xdotool", "getwindowname", w).stdout.strip(): int(w) for w in found.stdout.split()}


def window_label(desktop, window):
    """A window's title, or its class when it has none, and its id."""
    title = desktop.run("xdotool", "getwindowname", str(window)).stdout.strip()
    if not title:
        wm_class = desktop.prop(window, "WM_CLASS")
        title = wm_class.split("=", 1)[1].strip() if "=" in wm_class else "untitled"
    return f"{title} {hex(window)}"


def order_text(desktop, names, stack):
    return " < ".join(names.get(w) or window_label(desktop, w) for w in stack)


def own_windows(desktop, pid, stack):
    """The organiser's windows among the stacked ones, split into unpinned and
    pinned, each from the bottom up."""
    unpinned, pinned = [], []
    for window in stack:
        if f"= {pid}" not in desktop.prop(window, "_NET_WM_PID"):
            continue
        pinned_now = "_NET_WM_STATE_ABOVE" in desktop.prop(window, "_NET_WM_STATE")
        (pinned if pinned_now else unpinned).append(window)
    return unpinned, pinned


def check_order(desktop, pid, names, xterm, panels, when):
    """Every unpinned window of the organiser directly above the desktop, one
    after the other with the first registered highest, the application window
    over all of them and the pinned ones over it."""
    stack = desktop.stacking()
    print(f"       stacking {when}: {order_text(desktop, names, stack)}")
    base = stack.index(desktop.desktop_window()) if desktop.desktop_window() in stack else -1
    present = base >= 0 and all(w in stack for w in (panels[UNPINNED], xterm, panels[PINNED]))
    check(present, f"{when}: every window is in _NET_CLIENT_LIST_STACKING")
    if not present:
        return
    unpinned, pinned = own_windows(desktop, pid, stack)
    check(panels[UNPINNED] in unpinned and panels[PINNED] in pinned, f"{when}: the panels keep their pin states")
    # Nothing of another program comes between the desktop and the unpinned windows.
    check(stack[base + 1:base + 1 + len(unpinned)] == unpinned,
          f"{when}: the unpinned windows lie directly above the desktop, one after the other")
    # The tool panels join after the icon panels, so they lie under them.
    tools = [panels[t] for t in TOOL_PANELS if t in panels]
    check(bool(tools) and all(t in unpinned and unpinned.index(t) < unpinned.index(panels[UNPINNED]) for t in tools),
          f"{when}: the tool panels lie under the unpinned icon panel")
    app = stack.index(xterm)
    check(all(stack.index(w) < app for w in unpinned) and all(app < stack.index(w) for w in pinned),
          f"{when}: the application window is above the unpinned windows, below the pinned ones")


def run_cases(session, desktop):
    organiser = subprocess.Popen([BINARY, "--no-tray"], env=desktop.env(),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        session.wait_for_windows(organiser.pid, [UNPINNED, PINNED])
        panels = desktop.panels(organiser.pid)
        check(UNPINNED in panels and PINNED in panels, "both panels are shown")
        if UNPINNED not in panels or PINNED not in panels:
            return
        names = {panels[UNPINNED]: UNPINNED, panels[PINNED]: PINNED, desktop.desktop_window(): "desktop"}

        for title, window in panels.items():
            state = desktop.prop(window, "_NET_WM_STATE")
            check("_NET_WM_STATE_SKIP_TASKBAR" in state and "_NET_WM_STATE_SKIP_PAGER" in state,
                  f"{title} is in no taskbar and no pager")
            check("= 4294967295" in desktop.prop(window, "_NET_WM_DESKTOP"), f"{title} is on every workspace")

        # An application window opened over both panels and brought forward.
        geometry = session.windows(organiser.pid)
        left = min(geometry[UNPINNED][0], geometry[PINNED][0])
        top = min(geometry[UNPINNED][1], geometry[PINNED][1])
        desktop.spawn(["xterm", "-geometry", f"200x70+{max(left - 40, 0)}+{max(top - 40, 0)}", "-title", "work"])
        desktop.wait(lambda: desktop.run("xdotool", "search", "--onlyvisible", "--name", "^work$").stdout.strip(),
                     "the xterm shows")
        xterm = int(desktop.run("xdotool", "search", "--onlyvisible", "--name", "^work$").stdout.split()[0])
        names[xterm] = "xterm"
        desktop.run("xdotool", "windowactivate", "--sync", str(xterm))
        time.sleep(1.5)
        check_order(desktop, organiser.pid, names, xterm, panels, "xterm activated")
        session.screenshot(os.path.join(ARTEFACTS, f"e2e-layer-{WM}-xterm.png"))

        # The user clicks the unpinned panel, then goes back to the application.
        x, y, w, h = geometry[UNPINNED]
        desktop.run("xdotool", "mousemove", str(x + w // 2), str(y + 20), "click", "1")
        time.sleep(0.5)
        desktop.run("xdotool", "windowactivate", "--sync", str(xterm))
        time.sleep(1.5)
        check_order(desktop, organiser.pid, names, xterm, panels, "panel clicked, xterm activated again")

        # Raised by force while the application stays active: the steady check repairs it.
        desktop.run("xdotool", "windowraise", str(panels[UNPINNED]))
        time.sleep(1.5)
        check_order(desktop, organiser.pid, names, xterm, panels, "unpinned panel raised by another program")

        # Alt+Tab goes from application to application, never to a panel.
        desktop.spawn(["xterm", "-geometry", "80x20+40+40", "-title", "other"])
        desktop.wait(lambda: desktop.run("xdotool", "search", "--onlyvisible", "--name", "^other$").stdout.strip(),
                     "the second xterm shows")
        time.sleep(1)
        seen = set()
        for _ in range(4):
            desktop.run("xdotool", "key", "alt+Tab")
            time.sleep(0.6)
            seen.add(desktop.active_window())
        check(len(seen) >= 2, "Alt+Tab switches between the application windows")
        check(not seen & set(panels.values()), "Alt+Tab never brings a panel forward")
        desktop.run("xdotool", "windowactivate", "--sync", str(xterm))

        # "Show desktop": the application goes, the panels stay.
        desktop.run("wmctrl", "-k", "on")
        time.sleep(1.5)
        check("= 1" in desktop.run("xprop", "-root", "_NET_SHOWING_DESKTOP").stdout, "the desktop is shown")
        check(not desktop.viewable(xterm), "showing the desktop hid the application window")
        for title, window in panels.items():
            check(desktop.viewable(window), f"{title} stays on screen while the desktop is shown")
        session.screenshot(os.path.join(ARTEFACTS, f"e2e-layer-{WM}-desktop-shown.png"))

        desktop.run("wmctrl", "-k", "off")
        time.sleep(1.5)
        check(desktop.viewable(xterm), "the application window is back after showing the desktop")
        for title, window in panels.items():
            check(desktop.viewable(window), f"{title} is on screen after showing the desktop")
        session.screenshot(os.path.join(ARTEFACTS, f"e2e-layer-{WM}-desktop-back.png"))
    finally:
        organiser.send_signal(signal.SIGTERM)
        try:
            check(organiser.wait(15) == 0, "the organiser ends in order")
        except subprocess.TimeoutExpired:
            organiser.kill()
            check(False, "the organiser ends in order")


def run_without_window_manager(session, desktop, root):
    errors = os.path.join(root, "stderr.txt")
    with open(errors, "w") as err:
        organiser = subprocess.Popen([BINARY, "--no-tray"], env=desktop.env(), stdout=subprocess.DEVNULL, stderr=err)
    session.wait_for_windows(organiser.pid, [UNPINNED, PINNED])
    time.sleep(1)  # a few passes of the layer
    panels = desktop.panels(organiser.pid)
    check(UNPINNED in panels and PINNED in panels, "both panels are shown")
    for title, window in panels.items():
        check(desktop.viewable(window), f"{title} is on screen")
    session.screenshot(os.path.join(ARTEFACTS, "e2e-layer-none.png"))
    organiser.send_signal(signal.SIGTERM)
    check(organiser.wait(15) == 0, "the organiser ends in order")
    said = open(errors).read().strip()
    check(said == "", "nothing is said about the missing window manager" + (f": {said!r}" if said else ""))


def main():
    tools = ["xfdesktop", "xterm", "wmctrl", "xprop", "xwininfo"] + ([WM] if WM != "none" else [])
    tools += [] if WM == "xfwm4" else ["xcompmgr"]
    missing = x11session.missing_tools() + [t for t in tools if shutil.which(t) is None]
    if not os.path.exists(XFCONFD):
        missing.append(XFCONFD)
    if missing:
        print("missing: " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(ARTEFACTS, exist_ok=True)
    # The home outlives the session, so the desktop has ended before its files go.
    with tempfile.TemporaryDirectory() as root, x11session.Session(window_manager=False) as session:
        desktop = Desktop(session, root)
        desktop.start()
        if WM == "none":
            run_without_window_manager(session, desktop, root)
        else:
            run_cases(session, desktop)
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
