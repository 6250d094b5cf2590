#!/usr/bin/env python3
"""Items left loose on the desktop: an item dragged out of a panel onto the bare
desktop stays there as a window of its own, comes back at the same place after a
restart, and goes back into a panel when dragged onto one."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11session  # noqa: E402

CELL = (88, 96)  # the window of a loose item with 48 px icons

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def config_dir(home):
    return os.path.join(home, ".config", "brim-vale", "brim-vale")


def make_home(root):
    desktop = os.path.join(root, "Desktop")
    os.makedirs(desktop)
    for name in ["a-notes.txt", "b-plan.txt", "photo.png", "song.mp3", "clip.mp4"]:
        with open(os.path.join(desktop, name), "w") as f:
            f.write("x")
    os.makedirs(os.path.join(desktop, "Projects"))
    os.makedirs(config_dir(root))
    return desktop


def layout(home):
    path = os.path.join(config_dir(home), "panels.json")
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        return json.load(f)


def start(session, binary, home):
    env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                      XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                      XDG_RUNTIME_DIR=os.path.join(home, "run"), LANG="C.UTF-8", LANGUAGE="")
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    return subprocess.Popen([binary, "--keep-icons", "--no-tray"], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop(process):
    process.send_signal(signal.SIGTERM)
    check(process.wait(15) == 0, "SIGTERM ends the organiser with 0")


def inside(point, rect, margin=0):
    x, y, w, h = rect
    return x - margin <= point[0] < x + w + margin and y - margin <= point[1] < y + h + margin


def free_point(windows, size):
    """A point of bare desktop, well away from every window."""
    for y in range(size[1] - 200, 150, -50):
        for x in range(150, size[0] - 200, 50):
            if not any(inside((x, y), r, 140) for r in windows.values()):
                return (x, y)
    return None


def covering_windows(session, pid):
    """Visible windows of the program as large as the whole screen: the drop surfaces."""
    found = session.run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "--class", "brim-vale").stdout.split()
    result = []
    for wid in found:
        geometry = session.run("xdotool", "getwindowgeometry", "--shell", wid).stdout
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        if "WIDTH" in values and int(values["WIDTH"]) >= session.size[0] and int(values["HEIGHT"]) >= session.size[1]:
            result.append(wid)
    return result


def wait_until(predicate, timeout=10):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            value = predicate()
        except KeyError:  # a window went away while it was being looked at
            value = None
        if value:
            return value
        time.sleep(0.2)
    return predicate()


def main():
    binary, artifacts = sys.argv[1], sys.argv[2]
    missing = x11session.missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(artifacts, exist_ok=True)

    panels = ["Documents", "Images", "Audio", "Folders"]
    with tempfile.TemporaryDirectory() as home, x11session.Session() as session:
        desktop = make_home(home)
        notes = os.path.join(desktop, "a-notes.txt")
        app = start(session, binary, home)
        windows = session.wait_for_windows(app.pid, panels)
        print("windows:", windows)
        for title in panels:
            check(title in windows, f"a panel titled {title!r} is shown")
        if "Documents" not in windows or "Images" not in windows:
            app.kill()
            return 1

        # Drag the first document out of its panel onto bare desktop.
        x, y, w, h = windows["Documents"]
        item = (x + 16 + 52, y + 48 + 32)
        drop = free_point(windows, session.size)
        check(drop is not None, "there is bare desktop to drop on")
        session.drag(item, drop, steps=20)
        loose = wait_until(lambda: session.windows(app.pid).get("a-notes.txt"))
        print("loose window:", loose)
        check(loose is not None, "a loose window of the dropped item appears")
        expected = (drop[0] - CELL[0] // 2, drop[1] - 24 - 4)
        if loose:
            check(loose[:2] == expected, f"it lies centred under the drop point {expected}, at {loose[:2]}")
            check(loose[2:] == CELL, "it has the size of a desktop icon")
        stored = layout(home).get("desktopPositions", {})
        check(stored.get(notes) == list(expected), "its place is stored under desktopPositions")
        now = session.windows(app.pid)
        check("Documents" in now and "b-plan.txt" not in now, "only the dragged item left its panel")
        check(not covering_windows(session, app.pid), "no drop surface is left after the drop")

        # A drag cancelled with Esc leaves nothing behind.
        ix, iy, iw, ih = windows["Images"]
        session.run("xdotool", "mousemove", str(ix + 12 + 40), str(iy + 40 + 16))
        session.run("xdotool", "mousedown", "1")
        for i in range(1, 11):
            session.run("xdotool", "mousemove", str(ix + 52 - 40 * i), str(iy + 56 + 30 * i))
            time.sleep(0.03)
        during = wait_until(lambda: covering_windows(session, app.pid), timeout=3)
        check(bool(during), "while an item is dragged the desktop is covered by a drop surface")
        session.run("xdotool", "key", "Escape")
        session.run("xdotool", "mouseup", "1")
        time.sleep(0.5)
        check(not covering_windows(session, app.pid), "a drag cancelled with Esc leaves no drop surface")
        check(os.path.join(desktop, "photo.png") not in layout(home).get("desktopPositions", {}),
              "and places nothing on the desktop")
        check("photo.png" not in session.windows(app.pid), "the cancelled item stays in its panel")
        session.screenshot(os.path.join(artifacts, "e2e-shortcuts-dropped.png"))
        stop(app)

        # After a restart it is where the user left it.
        app = start(session, binary, home)
        windows = session.wait_for_windows(app.pid, panels + ["a-notes.txt"])
        again = windows.get("a-notes.txt")
        check(again is not None and again[:2] == expected, f"after a restart it is at {expected} again: {again}")

        # Dragging it moves it.
        if again:
            grab = (again[0] + CELL[0] // 2, again[1] + 28)
            target = (grab[0] + 300, grab[1] - 100)
            session.drag(grab, target, steps=20)
            expected = (target[0] - CELL[0] // 2, target[1] - 24 - 4)
            moved = wait_until(lambda: (session.windows(app.pid).get("a-notes.txt") or (0, 0))[:2] == expected)
            check(moved, f"dragging the loose item moves it to {expected}")
            check(layout(home).get("desktopPositions", {}).get(notes) == list(expected), "and stores its new place")
            # A short move ends over the item's own window.
            grab = (expected[0] + CELL[0] // 2, expected[1] + 28)
            session.drag(grab, (grab[0] + 30, grab[1] + 20), steps=10)
            nudged = (expected[0] + 30, expected[1] + 20)
            check(wait_until(lambda: (session.windows(app.pid).get("a-notes.txt") or (0, 0))[:2] == nudged),
                  f"a short move lands too, at {nudged}")
            windows = session.windows(app.pid)
            again = windows.get("a-notes.txt")

        # Dragged onto a panel it leaves the desktop and returns to its panel.
        if again and "Images" in windows:
            ix, iy, iw, ih = windows["Images"]
            session.drag((again[0] + CELL[0] // 2, again[1] + 28), (ix + iw // 2, iy + ih // 2), steps=20)
            gone = wait_until(lambda: "a-notes.txt" not in session.windows(app.pid))
            check(gone, "dragged into a panel, the loose window leaves the desktop")
            check(notes not in layout(home).get("desktopPositions", {}), "and its stored place is removed")
        stop(app)

        # A few loose items for the picture, from a stored layout.
        data = layout(home)
        data["desktopPositions"] = {
            os.path.join(desktop, "photo.png"): [300, 620],
            os.path.join(desktop, "song.mp3"): [400, 620],
            os.path.join(desktop, "Projects"): [300, 740],
            os.path.join(desktop, "gone.txt"): [500, 740],
        }
        with open(os.path.join(config_dir(home), "panels.json"), "w") as f:
            json.dump(data, f)
        app = start(session, binary, home)
        windows = session.wait_for_windows(app.pid, ["Documents", "photo.png", "song.mp3", "Projects"])
        for title, place in [("photo.png", (300, 620)), ("song.mp3", (400, 620)), ("Projects", (300, 740))]:
            check(windows.get(title, (0, 0))[:2] == place, f"{title} lies loose at {place}")
        check("Images" not in windows and "Audio" not in windows,
              "panels whose only items are loose are not shown")
        check(os.path.join(desktop, "gone.txt") in layout(home).get("desktopPositions", {}),
              "the place of an item that is not on the desktop is kept")
        session.screenshot(os.path.join(artifacts, "e2e-shortcuts.png"))
        stop(app)

    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
