#!/usr/bin/env python3
"""The organiser on a real X desktop: one panel per kind of item with its
translated title at the tidy positions, a custom panel holding the item
assigned to it, and a moved panel staying where the user put it."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11session  # noqa: E402

WORK = (24, 24, 1920 - 48, 1080 - 48)  # the screen inset by 24 px

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def make_home(root):
    desktop = os.path.join(root, "Desktop")
    os.makedirs(desktop)
    for name in ["Bericht 2.pdf", "Bericht 10.pdf", "notes.txt", "photo.png", "song.mp3"]:
        with open(os.path.join(desktop, name), "w") as f:
            f.write("x")
    os.makedirs(os.path.join(desktop, "Projects"))
    config = os.path.join(root, ".config", "brim-vale")
    os.makedirs(os.path.join(config, "brim-vale"))
    with open(os.path.join(config, "brim-vale.conf"), "w") as f:
        f.write("[ui]\nlanguage=de\n")
    layout = {
        "panels": [{"id": "custom-1", "name": "Projektarbeit"}],
        "assignments": {os.path.join(desktop, "song.mp3"): "custom-1"},
        "itemOrders": {},
        "desktopPositions": {},
    }
    with open(os.path.join(config, "brim-vale", "panels.json"), "w") as f:
        json.dump(layout, f)
    return desktop


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


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def main():
    binary, artifacts = sys.argv[1], sys.argv[2]
    missing = x11session.missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(artifacts, exist_ok=True)

    expected_laid_out = ["System", "Ordner", "Dokumente", "Bilder", "Projektarbeit"]
    with tempfile.TemporaryDirectory() as home, x11session.Session() as session:
        make_home(home)
        app = start(session, binary, home)
        windows = session.wait_for_windows(app.pid, expected_laid_out)
        print("windows:", windows)
        for title in expected_laid_out:
            check(title in windows, f"a panel titled {title!r} is shown")
        check(not any(t in windows for t in ["Documents", "Folders", "Images"]), "titles are translated")

        shot = os.path.join(artifacts, "e2e-panels.png")
        session.screenshot(shot)

        category = {t: windows[t] for t in ["System", "Ordner", "Dokumente", "Bilder"] if t in windows}
        right = WORK[0] + WORK[2]
        for title, (x, y, w, h) in category.items():
            check(x >= WORK[0] and y >= WORK[1] and x + w <= right and y + h <= WORK[1] + WORK[3],
                  f"{title} lies inside the work area")
        for title in ["System", "Bilder"]:  # list panels: the rightmost column
            if title in category:
                check(category[title][0] + category[title][2] == right, f"{title} is in the right-hand list column")
        if "System" in category:
            check(category["System"][1] == WORK[1], "the first list panel starts at the top of the work area")
        names = list(category)
        check(all(not overlaps(category[a], category[b]) for a in names for b in names if a != b),
              "category panels do not overlap")
        if "Projektarbeit" in windows:
            check(not any(overlaps(windows["Projektarbeit"], r) for r in category.values()),
                  "the custom panel covers no category panel")

        # The assigned song, the only audio file, shows in the custom panel and in no audio panel.
        check("Audio" not in windows, "no audio panel: its only item lives in the custom panel")
        if "Projektarbeit" in windows:
            x, y, w, h = windows["Projektarbeit"]
            check(session.bright_fraction(shot, (x + 16, y + 48, w - 40, max(h - 64, 1))) > 0.002,
                  "the custom panel shows an item")

        # Move the documents panel by its title band; it stays there across a
        # restart, even when the organiser is killed right after the move.
        moved = None
        if "Dokumente" in windows:
            x, y, w, h = windows["Dokumente"]
            session.drag((x + w // 3, y + 20), (x + w // 3 - 200, y + 20 + 150))
            moved = session.windows(app.pid).get("Dokumente")
            check(moved is not None and (moved[0], moved[1]) != (x, y), "dragging the title band moves the panel")
        time.sleep(1)  # the release reaches the organiser
        app.kill()
        app.wait(15)

        again = start(session, binary, home)
        windows = session.wait_for_windows(again.pid, expected_laid_out)
        if moved:
            check(windows.get("Dokumente", (0, 0))[:2] == moved[:2], "a moved panel is where the user left it after a restart")
        session.screenshot(os.path.join(artifacts, "e2e-panels-restarted.png"))
        stop(again)

        settings = open(os.path.join(home, ".config", "brim-vale", "brim-vale.conf")).read()
        check("userPlaced=true" in settings, "the moved panel is stored as placed by the user")

    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
