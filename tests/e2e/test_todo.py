#!/usr/bin/env python3
"""The to-do list on a real X desktop: opened from a panel's menu, two tasks
typed in, one ticked; after a SIGTERM and a restart both are in todo.json and
in the panel with their states. Screenshots left to right and in Arabic."""

import json
import os
import re
import sys
import time

from x11session import Home, bright_fraction, check, run_test, wait_until

# The end of a panel's menu, as the organiser wires it: the commands every menu
# shares, then the tools, then "Quit".
MENU_TAIL = ["Start at sign-in", "Show the real desktop icons", "Show To-do list", "Currency converter",
             "Save layout…", "Restore layout", "Export layout…", "Import layout…", "Quit"]
TOP, ROW, INSET = 46 + 38, 62, 14  # where the first task row starts, a row's height, the side margin


def lit(shot, rect):
    """Share of pixels lighter than the panel's body; dimmed text counts too."""
    return bright_fraction(shot, rect, "40%")


def body(session, root):
    home = Home(session, root, items=["notes.txt", "report.pdf", "photo.png"],
                settings="[ui]\nlanguage=en\n\n[todo]\nvisible=false\n", bus=False)
    app = home.start("--keep-icons", "--no-tray")
    windows = app.wait_for(["Documents"])
    check("To-do" not in windows, "the to-do list starts hidden when the user hid it")
    if not check("Documents" in windows, "a documents panel is shown"):
        return app.stop()
    # Qt menus have no type-ahead without mnemonics, so the entry is reached from
    # the bottom: with nothing chosen yet, Up first lands on the last entry.
    x, y, w, h = windows["Documents"]
    session.open_menu(x + w // 2, y + h - 12)
    session.run("xdotool", "key", *["Up"] * (len(MENU_TAIL) - MENU_TAIL.index("Show To-do list")), "Return")
    todo = wait_until(lambda: app.windows().get("To-do"))
    if not check(todo is not None, "the panel menu opens the to-do list"):
        return app.stop()
    x, y, w, h = todo
    session.click(x + 120, y + 46 + 19)  # the input line
    for task in ["Buy milk", "Call Bob"]:
        session.run("xdotool", "type", "--delay", "20", task)
        session.run("xdotool", "key", "Return")
        time.sleep(0.3)
    session.click(x + INSET + 18, y + TOP + 22)  # the newest task's (the top row's) check circle
    session.screenshot("e2e-todo-typed.png")
    app.stop()

    try:
        with open(os.path.join(home.config, "brim-vale", "todo.json")) as f:
            stored = json.load(f)["tasks"]
    except (OSError, ValueError, KeyError) as error:
        stored = []
        print("todo.json:", error)
    check([(t.get("title"), t.get("completed")) for t in stored] == [("Call Bob", True), ("Buy milk", False)],
          "todo.json holds both tasks, newest first, and which one is done")
    check(all(re.fullmatch(r"\d{4}-\d\d-\d\d", t.get("created", "")) for t in stored), "tasks carry their day")

    app = home.start("--keep-icons", "--no-tray")
    todo = wait_until(lambda: app.windows().get("To-do"))
    if check(todo is not None, "the to-do list shows again after a restart"):
        x, y, w, h = todo
        check(TOP + 38 + 2 * ROW + 10 <= h <= TOP + 38 + 2 * ROW + 40, f"the panel fits two rows and the toggle ({h})")

        def rows_lit():
            shot = session.screenshot("e2e-todo.png")
            return all(lit(shot, (x + 50, y + TOP + r * ROW + 8, w - 90, 24)) > 0.01 for r in range(2))

        check(wait_until(rows_lit, 5), "both rows show their titles")
    app.stop()

    # The same list in Arabic, laid out right to left: the check circles stand at the right-hand edge.
    home.write_settings(re.sub(r"language=\w+", "language=ar", home.settings()))
    app = home.start("--keep-icons", "--no-tray")
    todo = wait_until(lambda: app.windows().get("المهام"))
    if check(todo is not None, "the to-do list is titled in Arabic"):
        x, y, w, h = todo

        def mirrored():
            shot = session.screenshot("e2e-todo-ar.png")
            right, left = (lit(shot, (at, y + TOP + 10, 24, 24)) for at in (x + w - INSET - 30, x + INSET + 6))
            return right > left

        check(wait_until(mirrored, 5), "right to left, the check circles are on the right")
    app.stop()


if __name__ == "__main__":
    sys.exit(run_test(body))
