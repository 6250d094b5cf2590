#!/usr/bin/env python3
"""Quick search on a real X desktop: typing on a focused panel opens the search
with what was typed, Return opens the chosen item (a launcher that leaves a
marker file), and Esc closes the search and leaves the panel focused."""

import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11session  # noqa: E402

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def make_home(root, marker):
    desktop = os.path.join(root, "Desktop")
    os.makedirs(desktop)
    for name in ["notes.txt", "Market report.pdf", "photo.png", "zebra.txt"]:
        with open(os.path.join(desktop, name), "w") as f:
            f.write("x")
    launcher = os.path.join(desktop, "marker-tool.desktop")
    with open(launcher, "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Marker Tool\n"
                f"Exec=touch {marker}\nTerminal=false\n")
    os.chmod(launcher, 0o755)  # a trusted launcher: only those are run
    os.makedirs(os.path.join(root, ".config", "brim-vale"))
    return desktop


def start(session, binary, home):
    env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                      XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                      XDG_RUNTIME_DIR=os.path.join(home, "run"), LANG="C.UTF-8", LANGUAGE="")
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    return subprocess.Popen([binary, "--keep-icons", "--no-tray"], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def search_window(session, pid):
    return session.windows(pid).get("Quick search")


def wait_until(predicate, timeout=5.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(0.1)
    return predicate()


def focus_panel(session, rect):
    """Clicks the empty lower part of a panel's item area, as a user would."""
    x, y, w, h = rect
    session.run("xdotool", "mousemove", str(x + w // 2), str(y + h - 28), "click", "1")
    time.sleep(0.4)


def active_window_name(session):
    return session.run("xdotool", "getactivewindow", "getwindowname").stdout.strip()


def main():
    binary, artifacts = sys.argv[1], sys.argv[2]
    missing = x11session.missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(artifacts, exist_ok=True)

    with tempfile.TemporaryDirectory() as home, x11session.Session() as session:
        marker = os.path.join(home, "opened.marker")
        make_home(home, marker)
        app = start(session, binary, home)
        windows = session.wait_for_windows(app.pid, ["Documents", "Apps & Shortcuts"])
        print("windows:", windows)
        check("Documents" in windows, "the documents panel is shown")
        if "Documents" not in windows:
            app.kill()
            return 1
        documents = windows["Documents"]

        # Typing on a focused panel opens the search with the typed text.
        focus_panel(session, documents)
        session.run("xdotool", "type", "--delay", "120", "marker t")
        check(wait_until(lambda: search_window(session, app.pid) is not None),
              "typing on a panel opens the quick search")
        found = search_window(session, app.pid)
        time.sleep(0.5)
        shot = os.path.join(artifacts, "e2e-search.png")
        session.screenshot(shot)
        if found:
            x, y, w, h = found
            print("search window:", found)
            check(w == 540, "the search window is 540 px wide")
            check(x >= 16 and y >= 16 and x + w <= 1920 - 16 and y + h <= 1080 - 16,
                  "the search window lies inside the screen, inset")
            # Name lines of the results and the field's text are light on the dark window.
            check(session.bright_fraction(shot, (x + 16, y + 120, w - 32, 58)) > 0.01,
                  "the first result row shows an item")

        session.run("xdotool", "key", "Return")
        check(wait_until(lambda: os.path.exists(marker), timeout=10), "Return opens the chosen launcher")
        check(wait_until(lambda: search_window(session, app.pid) is None), "opening closes the search")

        # Esc closes the search and leaves the panel focused: typing again reopens it.
        focus_panel(session, documents)
        session.run("xdotool", "type", "--delay", "120", "r")
        check(wait_until(lambda: search_window(session, app.pid) is not None), "typing again opens the search")
        time.sleep(0.5)
        session.screenshot(os.path.join(artifacts, "e2e-search-results.png"))
        results = search_window(session, app.pid)
        # Five names hold an "r" (Computer and Trash among them): four rows of 58 px
        # more than the window with its one result.
        check(results is not None and found is not None and results[3] - found[3] == 4 * 58,
              "the window grows with the results")
        session.run("xdotool", "key", "Escape")
        check(wait_until(lambda: search_window(session, app.pid) is None), "Esc closes the search")
        time.sleep(0.4)
        check(active_window_name(session) == "Documents", "after Esc the panel is the active window")
        session.run("xdotool", "type", "--delay", "120", "z")
        check(wait_until(lambda: search_window(session, app.pid) is not None),
              "after Esc the panel still has the keyboard: typing opens the search again")
        session.screenshot(os.path.join(artifacts, "e2e-search-again.png"))
        session.run("xdotool", "key", "Escape")

        app.send_signal(signal.SIGTERM)
        check(app.wait(15) == 0, "SIGTERM ends the organiser with 0")

    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
