#!/usr/bin/env python3
"""Items left loose on the desktop: an item dragged out of a panel onto the bare
desktop stays there as a window of its own, comes back at the same place after a
restart, and goes back into a panel when dragged onto one.
Quick search there: typing on a focused panel opens the search with what was
typed, Return opens the chosen item (a launcher that leaves a marker file), and
Esc closes the search and leaves the panel focused."""

import os

from x11session import Home, bare_point, bright_fraction, check, run_test, wait_until

CELL = (88, 96)  # the window of a loose item with 48 px icons
PANELS = ["Documents", "Images", "Audio", "Folders", "Apps & Shortcuts"]
NOTES = "a-notes.txt"
ROW = 58  # the height of a search result row


def covering_windows(session, pid):
    """Visible windows of the program as large as the whole screen: the drop surfaces."""
    found = session.run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "--class", "Larkspan").stdout.split()
    return [w for w in found if session.geometry(w)[2:] >= session.size]


def placed(drop):
    """Where a loose item dropped at a point lies: centred under it, the icon at the point."""
    return (drop[0] - CELL[0] // 2, drop[1] - 24 - 4)


def grab(rect):
    return (rect[0] + CELL[0] // 2, rect[1] + 28)


def quick_search(session, app, documents, marker):
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

    # Four names hold an "r" (Computer and Trash among them): three rows more than the one result.
    type_on_panel("r")
    check(found is not None and wait_until(lambda: (search() or (0, 0, 0, 0))[3] - found[3] == 3 * ROW, 5),
          f"the window grows with the results: {search()}")
    session.screenshot("e2e-search-results.png")
    # Esc closes the search and leaves the panel focused: typing again reopens it.
    session.run("xdotool", "key", "Escape")
    check(wait_until(lambda: search() is None, 5), "Esc closes the search")
    check(wait_until(lambda: session.run("xdotool", "getactivewindow", "getwindowname").stdout.strip() == "Documents",
                     5), "after Esc the panel is the active window")
    check(type_on_panel("p", focus=False) is not None,
          "after Esc the panel still has the keyboard: typing opens the search again")
    session.screenshot("e2e-search-again.png")
    session.run("xdotool", "key", "Escape")


def body(session, root):
    home = Home(session, root, items=[NOTES, "b-plan.txt", "photo.png", "song.mp3", "clip.mp4", "Projects/"],
                bus=False)
    notes = home.item(NOTES)
    marker = os.path.join(root, "opened.marker")
    with open(home.item("marker-tool.desktop"), "w") as f:
        f.write(f"[Desktop Entry]\nType=Application\nName=Marker Tool\nExec=touch {marker}\nTerminal=false\n")
    os.chmod(home.item("marker-tool.desktop"), 0o755)  # a trusted launcher: only those are run

    def stored():
        return home.layout().get("desktopPositions", {})

    def loose_at(place):
        rect = app.windows().get(NOTES)
        return rect if rect and rect[:2] == place else None

    app = home.start("--keep-icons", "--no-tray")
    windows = app.wait_for(PANELS)
    print("windows:", windows)
    if not check(all(t in windows for t in PANELS), "a panel for each kind of item is shown"):
        return
    quick_search(session, app, windows["Documents"], marker)

    # Drag the first document out of its panel onto bare desktop.
    x, y, w, h = windows["Documents"]
    drop = bare_point(windows.values(), session.size, 140)
    if not check(drop is not None, "there is bare desktop to drop on"):
        return app.stop()
    session.drag((x + 16 + 52, y + 48 + 32), drop, steps=20)
    loose = wait_until(lambda: app.windows().get(NOTES))
    expected = placed(drop)
    check(loose == expected + CELL, f"a loose window of the dropped item, icon-sized, centred under the drop point "
                                    f"{expected}: {loose}")
    check(stored().get(notes) == list(expected), "its place is stored under desktopPositions")
    now = app.windows()
    check("Documents" in now and "b-plan.txt" not in now, "only the dragged item left its panel")
    check(not covering_windows(session, app.pid), "no drop surface is left after the drop")

    # A drag cancelled with Esc leaves nothing behind.
    ix, iy, iw, ih = windows["Images"]
    def cancel():
        check(bool(wait_until(lambda: covering_windows(session, app.pid), 3)),
              "while an item is dragged the desktop is covered by a drop surface")
        session.run("xdotool", "key", "Escape")
    session.drag((ix + 12 + 40, iy + 40 + 16), (ix + 52 - 400, iy + 56 + 300), held=cancel)
    check(wait_until(lambda: not covering_windows(session, app.pid), 5),
          "a drag cancelled with Esc leaves no drop surface")
    check(not wait_until(lambda: home.item("photo.png") in stored() or "photo.png" in app.windows(), 0.5),
          "the cancelled item stays in its panel, placed nowhere on the desktop")
    session.screenshot("e2e-shortcuts-dropped.png")
    app.stop()

    # After a restart it is where the user left it.
    app = home.start("--keep-icons", "--no-tray")
    again = app.wait_for(PANELS + [NOTES]).get(NOTES)
    if not check(again is not None and again[:2] == expected, f"after a restart it is at {expected} again: {again}"):
        return app.stop()

    # Dragging it moves it; a short move, which ends over the item's own window, lands too.
    for offset in [(300, -100), (30, 20)]:
        start = grab(again)
        end = (start[0] + offset[0], start[1] + offset[1])
        session.drag(start, end, steps=20)
        expected = placed(end)
        again = wait_until(lambda: loose_at(expected))
        check(bool(again) and stored().get(notes) == list(expected),
              f"dragged by {offset}, the loose item moves to {expected} and its new place is stored")
        if not again:
            return app.stop()

    # Dragged onto a panel it leaves the desktop and returns to its panel.
    ix, iy, iw, ih = app.windows()["Images"]
    session.drag(grab(again), (ix + iw // 2, iy + ih // 2), steps=20)
    check(wait_until(lambda: NOTES not in app.windows()), "dragged into a panel, the loose window leaves the desktop")
    check(notes not in stored(), "and its stored place is removed")
    app.stop()

    # A few loose items for the picture, from a stored layout.
    loose = {"photo.png": (300, 620), "song.mp3": (400, 620), "Projects": (300, 740)}
    home.write_layout(dict(home.layout(), desktopPositions={**{home.item(n): list(p) for n, p in loose.items()},
                                                             home.item("gone.txt"): [500, 740]}))
    app = home.start("--keep-icons", "--no-tray")
    windows = app.wait_for(["Documents", *loose])
    for title, place in loose.items():
        check(windows.get(title, (0, 0))[:2] == place, f"{title} lies loose at {place}")
    check("Images" not in windows and "Audio" not in windows, "panels whose only items are loose are not shown")
    check(home.item("gone.txt") in stored(), "the place of an item that is not on the desktop is kept")
    session.screenshot("e2e-shortcuts.png")
    app.stop()


if __name__ == "__main__":
    run_test(body)
