#!/usr/bin/env python3
"""Quick search on a real X desktop: typing on a focused panel opens the search
with what was typed, Return opens the chosen item (a launcher that leaves a
marker file), and Esc closes the search and leaves the panel focused."""

import os
import sys

from x11session import Home, bright_fraction, check, run_test, wait_until

ROW = 58  # the height of a result row


def body(session, root):
    home = Home(session, root, items=["notes.txt", "Market report.pdf", "photo.png", "zebra.txt"], bus=False)
    marker = os.path.join(root, "opened.marker")
    with open(home.item("marker-tool.desktop"), "w") as f:
        f.write(f"[Desktop Entry]\nType=Application\nName=Marker Tool\nExec=touch {marker}\nTerminal=false\n")
    os.chmod(home.item("marker-tool.desktop"), 0o755)  # a trusted launcher: only those are run
    app = home.start("--keep-icons", "--no-tray")
    documents = app.wait_for(["Documents", "Apps & Shortcuts"]).get("Documents")
    if not check(documents is not None, "the documents panel is shown"):
        return

    def search():
        return app.windows().get("Quick search")

    def type_on_panel(text, focus=True):
        if focus:  # the empty lower part of the panel's item area, as a user would
            session.click(documents[0] + documents[2] // 2, documents[1] + documents[3] - 28)
        session.run("xdotool", "type", "--delay", "120", text)
        return wait_until(search, 5)

    found = type_on_panel("marker t")
    if check(found is not None, "typing on a panel opens the quick search"):
        x, y, w, h = found
        check(w == 540 and x >= 16 and y >= 16 and x + w <= session.size[0] - 16 and y + h <= session.size[1] - 16,
              f"the search window is 540 px wide and lies inside the screen, inset: {found}")
        # Name lines of the results are light on the dark window, once painted.
        check(wait_until(lambda: bright_fraction(session.screenshot("e2e-search.png"),
                                                 (x + 16, y + 120, w - 32, ROW)) > 0.01, 5),
              "the first result row shows an item")
    session.run("xdotool", "key", "Return")
    check(wait_until(lambda: os.path.exists(marker)), "Return opens the chosen launcher")
    check(wait_until(lambda: search() is None, 5), "opening closes the search")

    # Five names hold an "r" (Computer and Trash among them): four rows more than the one result.
    type_on_panel("r")
    check(found is not None and wait_until(lambda: (search() or (0, 0, 0, 0))[3] - found[3] == 4 * ROW, 5),
          f"the window grows with the results: {search()}")
    session.screenshot("e2e-search-results.png")
    # Esc closes the search and leaves the panel focused: typing again reopens it.
    session.run("xdotool", "key", "Escape")
    check(wait_until(lambda: search() is None, 5), "Esc closes the search")
    check(wait_until(lambda: session.run("xdotool", "getactivewindow", "getwindowname").stdout.strip() == "Documents",
                     5), "after Esc the panel is the active window")
    check(type_on_panel("z", focus=False) is not None,
          "after Esc the panel still has the keyboard: typing opens the search again")
    session.screenshot("e2e-search-again.png")
    session.run("xdotool", "key", "Escape")
    app.stop()


if __name__ == "__main__":
    sys.exit(run_test(body))
