#!/usr/bin/env python3
"""The to-do list on a real X desktop: opened from a panel's menu, two tasks
typed in, one ticked; after a SIGTERM and a restart both are in todo.json and
in the panel with their states. Screenshots left to right and in Arabic."""

import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11session  # noqa: E402

# The end of a panel's menu, as the organiser wires it: the commands every menu
# shares, then the tools, then "Quit".
MENU_TAIL = ["Start at sign-in", "Show the real desktop icons", "Show To-do list", "Currency converter", "Quit"]

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def make_home(root):
    desktop = os.path.join(root, "Desktop")
    os.makedirs(desktop)
    for name in ["notes.txt", "report.pdf", "photo.png"]:
        with open(os.path.join(desktop, name), "w") as f:
            f.write("x")
    config = os.path.join(root, ".config", "brim-vale")
    os.makedirs(os.path.join(config, "brim-vale"))
    with open(os.path.join(config, "brim-vale.conf"), "w") as f:
        f.write("[ui]\nlanguage=en\n\n[todo]\nvisible=false\n")
    return os.path.join(config, "brim-vale.conf"), os.path.join(config, "brim-vale", "todo.json")


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


def wait_for(predicate, timeout=10):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    return predicate()


def todo_window(session, pid, title):
    return session.windows(pid).get(title)


def lit_fraction(shot, rect, threshold="40%"):
    """Share of pixels lighter than the panel's body; dimmed text counts too."""
    x, y, w, h = rect
    out = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-colorspace", "Gray",
                          "-threshold", threshold, "-format", "%[fx:mean]", "info:"],
                         capture_output=True, text=True, timeout=30)
    return float(out.stdout.strip() or 0)


def click(session, x, y, button="1"):
    session.run("xdotool", "mousemove", str(x), str(y))
    time.sleep(0.1)
    session.run("xdotool", "click", button)
    time.sleep(0.3)


def pick_from_panel_menu(session, panel, entry):
    """Opens a panel's menu and chooses one of its last entries with the keyboard.

    Qt menus have no type-ahead without mnemonics, so the entry is reached from
    the bottom: with nothing chosen yet, Up first lands on the last entry, and
    separators are passed over."""
    x, y, w, h = panel
    click(session, x + w // 2, y + h - 12, "3")
    presses = len(MENU_TAIL) - MENU_TAIL.index(entry)
    session.run("xdotool", "key", *(["Up"] * presses), "Return")


def main():
    binary, artifacts = sys.argv[1], sys.argv[2]
    missing = x11session.missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(artifacts, exist_ok=True)

    with tempfile.TemporaryDirectory() as home, x11session.Session() as session:
        conf, todo_json = make_home(home)
        app = start(session, binary, home)
        windows = session.wait_for_windows(app.pid, ["Documents"])
        check("To-do" not in windows, "the to-do list starts hidden when the user hid it")
        panel = windows.get("Documents")
        check(panel is not None, "a documents panel is shown")
        if panel is None:
            stop(app)
            return 1

        pick_from_panel_menu(session, panel, "Show To-do list")
        todo = wait_for(lambda: todo_window(session, app.pid, "To-do"))
        check(todo is not None, "the panel menu opens the to-do list")
        if todo is None:
            print("windows after the pick:", sorted(session.windows(app.pid)))
            stop(app)
            return 1

        tx, ty, tw, th = todo
        click(session, tx + 120, ty + 46 + 19)  # the input line
        for task in ["Buy milk", "Call Bob"]:
            session.run("xdotool", "type", "--delay", "20", task)
            session.run("xdotool", "key", "Return")
            time.sleep(0.3)
        # Tick the newest task (the top row) by its check circle.
        click(session, tx + 14 + 18, ty + 46 + 38 + 22)
        time.sleep(0.5)
        session.screenshot(os.path.join(artifacts, "e2e-todo-typed.png"))
        stop(app)

        try:
            stored = json.load(open(todo_json))["tasks"]
        except (OSError, ValueError, KeyError) as error:
            stored = []
            print("todo.json:", error)
        check([t.get("title") for t in stored] == ["Call Bob", "Buy milk"], "todo.json holds both tasks, newest first")
        check([t.get("completed") for t in stored] == [True, False], "todo.json holds which one is done")
        check(all(re.fullmatch(r"\d{4}-\d\d-\d\d", t.get("created", "")) for t in stored), "tasks carry their day")

        again = start(session, binary, home)
        todo = wait_for(lambda: todo_window(session, again.pid, "To-do"))
        check(todo is not None, "the to-do list shows again after a restart")
        if todo:
            time.sleep(0.8)
            shot = os.path.join(artifacts, "e2e-todo.png")
            session.screenshot(shot)
            tx, ty, tw, th = todo
            check(122 + 2 * 62 + 10 <= th <= 122 + 2 * 62 + 40, f"the panel fits two rows and the toggle (height {th})")
            for row in range(2):
                top = ty + 46 + 38 + row * 62
                check(lit_fraction(shot, (tx + 50, top + 8, tw - 90, 24)) > 0.01,
                      f"row {row + 1} shows its title")
        stop(again)

        # The same list in Arabic, laid out right to left.
        text = open(conf).read()
        open(conf, "w").write(re.sub(r"language=\w+", "language=ar", text))
        arabic = start(session, binary, home)
        todo = wait_for(lambda: todo_window(session, arabic.pid, "المهام"))
        check(todo is not None, "the to-do list is titled in Arabic")
        if todo:
            time.sleep(0.8)
            shot = os.path.join(artifacts, "e2e-todo-ar.png")
            session.screenshot(shot)
            tx, ty, tw, th = todo
            # Mirrored: the check circles stand at the right-hand edge.
            top = ty + 46 + 38
            right = lit_fraction(shot, (tx + tw - 14 - 30, top + 10, 24, 24))
            left = lit_fraction(shot, (tx + 14 + 6, top + 10, 24, 24))
            check(right > left, "right to left, the check circles are on the right")
        stop(arabic)

    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
