#!/usr/bin/env python3
"""The currency panel and the to-do list on a real X desktop, the converter
against a rate server of the test's own. An amount typed as an expression is
converted at the served rate; the to-do list, opened from a panel's menu, gets
two tasks typed in, one ticked. After a restart with the server gone the cached
rate is still used and the status says the refresh failed, and both tasks are
in todo.json and in the list with their states. Screenshots left to right and
in Arabic."""

import json
import os
import re
import subprocess
import time
from pathlib import Path

from rate_server import RATE, serve
from x11session import ARTEFACTS, Home, bright_fraction, check, run_test, wait_until

PANEL_SIZE = (300, 214)  # the currency panel's default size
# The end of a panel's menu, as the organiser wires it: the commands every menu
# shares, then the tools, then "Quit".
MENU_TAIL = ["Start at sign-in", "Show the real desktop icons", "Show To-do list", "Currency converter",
             "Save layout…", "Restore layout", "Export layout…", "Import layout…", "Quit"]
TOP, ROW, INSET = 46 + 38, 62, 14  # where the first task row starts, a row's height, the side margin


def lit(shot, rect):
    """Share of pixels lighter than the panel's body; dimmed text counts too."""
    return bright_fraction(shot, rect, "40%")


def start(home, base, when):
    """The organiser with its currency log on; returns it, its currency panel and a reader of its log."""
    app = home.start("--keep-icons", "--no-tray", log=True, LARKSPAN_RATES_URL=base,
                     QT_LOGGING_RULES="larkspan.currency.info=true")

    def line(prefix, contains):
        """The last log line with the prefix once it contains the text, else the last one seen."""
        def last():
            lines = app.log().splitlines()
            return next((s.split(prefix, 1)[1].strip() for s in reversed(lines) if prefix in s), None)
        return wait_until(lambda: contains in (last() or "") and last(), 15) or last()

    panel = wait_until(lambda: next((g for g in app.windows().values() if g[2:] == PANEL_SIZE), None), 15)
    check(panel is not None, f"the currency panel shows {when}")
    return app, panel, line


def convert(session, panel, line):
    # Into the amount field (left of the "from" selector, below the header), then type.
    x, y, w, h = panel
    time.sleep(0.3)  # let the panel settle before the click
    session.click(x + 60, y + 55)
    session.run("xdotool", "key", "ctrl+a", "BackSpace")
    session.run("xdotool", "type", "--delay", "60", "12*3+4")
    expected = f"{40 * RATE:.2f}"
    result = line("result:", expected)
    check(result is not None and result.startswith(expected + " |") and "1 USD = 7.25 CNY" in result,
          f"12*3+4 USD converts to {expected} CNY, the rate line shows the served rate ({result!r})")
    shot = session.screenshot("e2e-currency.png")
    subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", os.path.join(ARTEFACTS, "e2e-currency-panel.png")],
                   timeout=30)


def add_tasks(session, app):
    windows = app.wait_for(["Documents"])
    check("To-do" not in windows, "the to-do list starts hidden when the user hid it")
    if not check("Documents" in windows, "a documents panel is shown"):
        return
    # Qt menus have no type-ahead without mnemonics, so the entry is reached from
    # the bottom: with nothing chosen yet, Up first lands on the last entry.
    x, y, w, h = windows["Documents"]
    session.open_menu(x + w // 2, y + h - 12)
    session.run("xdotool", "key", *["Up"] * (len(MENU_TAIL) - MENU_TAIL.index("Show To-do list")), "Return")
    todo = wait_until(lambda: app.windows().get("To-do"))
    if not check(todo is not None, "the panel menu opens the to-do list"):
        return
    x, y, w, h = todo
    session.click(x + 120, y + 46 + 19)  # the input line
    for task in ["Buy milk", "Call Bob"]:
        session.run("xdotool", "type", "--delay", "20", task)
        session.run("xdotool", "key", "Return")
        time.sleep(0.3)
    session.click(x + INSET + 18, y + TOP + 22)  # the newest task's (the top row's) check circle
    session.screenshot("e2e-todo-typed.png")


def body(session, root):
    home = Home(session, root, items=["notes.txt", "report.pdf", "photo.png"],
                settings="[ui]\nlanguage=en\n\n[todo]\nvisible=false\n", bus=False)
    with serve() as (base, _):
        app, panel, line = start(home, base, "at first start")
        status = line("status:", "Frankfurter")
        check(status is not None and status.startswith("Frankfurter \u00b7"), f"the served rate is used ({status!r})")
        if panel:
            convert(session, panel, line)
        add_tasks(session, app)
        app.stop()
    stored = json.loads(Path(home.config, "brim-vale", "todo.json").read_text())["tasks"]
    check([(t.get("title"), t.get("completed")) for t in stored] == [("Call Bob", True), ("Buy milk", False)],
          "todo.json holds both tasks, newest first, and which one is done")
    check(all(re.fullmatch(r"\d{4}-\d\d-\d\d", t.get("created", "")) for t in stored), "tasks carry their day")

    # Offline: the server is gone; the cached rate stays in use.
    app, panel, line = start(home, base, "again after the restart")
    status = line("status:", "Refresh failed")
    check(status is not None and status.startswith("Cached rate \u00b7 Refresh failed / As of"),
          f"offline the cached rate is kept and the refresh reported failed ({status!r})")
    result = line("result:", "1 USD = 7.25 CNY")
    check(result is not None and "1 USD = 7.25 CNY" in result, "the cached rate converts offline")
    session.screenshot("e2e-currency-offline.png")
    todo = wait_until(lambda: app.windows().get("To-do"))
    if check(todo is not None, "the to-do list shows again after a restart"):
        x, y, w, h = todo
        check(TOP + 38 + 2 * ROW + 10 <= h <= TOP + 38 + 2 * ROW + 40, f"the panel fits two rows and the toggle ({h})")

        def rows_lit():
            shot = session.screenshot("e2e-todo.png")
            return all(lit(shot, (x + 50, y + TOP + r * ROW + 8, w - 90, 24)) > 0.01 for r in range(2))

        check(wait_until(rows_lit, 5), "both rows show their titles")
    app.stop()

    # Arabic: right to left, Arabic-Indic digits, the check circles at the right-hand edge.
    home.write_settings(re.sub(r"language=\w+", "language=ar", home.settings()))
    with serve() as (base, _):
        app, _, line = start(home, base, "in Arabic")
        result = line("result:", "\u0667")
        check(result is not None and result.startswith("\u0667\u066b\u0662\u0665"),
              f"the result is written with Arabic-Indic digits ({result!r})")
        session.screenshot("e2e-currency-arabic.png")
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
    run_test(body)
