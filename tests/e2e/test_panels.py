#!/usr/bin/env python3
"""The organiser on a real X desktop: one panel per kind of item with its
translated title at the tidy positions, a custom panel holding the item
assigned to it, and a moved panel staying where the user put it."""

from x11session import Home, bright_fraction, check, overlaps, run_test, wait_until

WORK = (24, 24, 1920 - 48, 1080 - 48)  # the screen inset by 24 px
CATEGORIES = ["System", "Ordner", "Dokumente", "Bilder"]
CUSTOM = "Projektarbeit"


def body(session, root):
    home = Home(session, root, items=["Bericht 2.pdf", "Bericht 10.pdf", "notes.txt", "photo.png", "song.mp3",
                                      "Projects/"], settings="[ui]\nlanguage=de\n", bus=False)
    home.write_layout({"panels": [{"id": "custom-1", "name": CUSTOM}], "itemOrders": {}, "desktopPositions": {},
                       "assignments": {home.item("song.mp3"): "custom-1"}})
    app = home.start("--keep-icons", "--no-tray")
    windows = app.wait_for(CATEGORIES + [CUSTOM])
    print("windows:", windows)
    shot = session.screenshot("e2e-panels.png")
    if not check(all(t in windows for t in CATEGORIES + [CUSTOM]), "every panel is shown, its title translated"):
        return
    check(not {"Documents", "Folders", "Images"} & set(windows), "no title is left untranslated")
    # The window class is the name people read, whatever the stored files are called.
    wm_class = session.run("xprop", "-id", str(session.window_ids(app.pid)[CUSTOM]), "WM_CLASS").stdout
    check(wm_class.strip().endswith('"larkspan", "Larkspan"'), f"the window class is Larkspan: {wm_class}")

    category = {t: windows[t] for t in CATEGORIES}
    right = WORK[0] + WORK[2]
    for title, (x, y, w, h) in category.items():
        check(x >= WORK[0] and y >= WORK[1] and x + w <= right and y + h <= WORK[1] + WORK[3],
              f"{title} lies inside the work area")
    # List panels take the rightmost column, the first of them at the top of the work area.
    check(category["System"][0] + category["System"][2] == right and category["System"][1] == WORK[1]
          and category["Bilder"][0] + category["Bilder"][2] == right, "the list panels are in the right-hand column")
    check(not any(overlaps(category[a], category[b]) for a in category for b in category if a != b),
          "category panels do not overlap")
    check(not any(overlaps(windows[CUSTOM], r) for r in category.values()), "the custom panel covers no category panel")
    # The assigned song, the only audio file, shows in the custom panel and in no audio panel.
    check("Audio" not in windows, "no audio panel: its only item lives in the custom panel")
    x, y, w, h = windows[CUSTOM]
    check(bright_fraction(shot, (x + 16, y + 48, w - 40, max(h - 64, 1))) > 0.002, "the custom panel shows an item")

    # Moved by its title band, the panel stays there across a restart, even when
    # the organiser is killed right after the move.
    x, y, w, h = windows["Dokumente"]
    session.drag((x + w // 3, y + 20), (x + w // 3 - 200, y + 20 + 150))
    moved = app.windows().get("Dokumente", (x, y))[:2]
    check(moved != (x, y), "dragging the title band moves the panel")
    check(wait_until(lambda: "userPlaced=true" in home.settings()),
          "the moved panel is stored as placed by the user")
    app.kill()
    again = home.start("--keep-icons", "--no-tray")
    check(again.wait_for(CATEGORIES).get("Dokumente", (0, 0))[:2] == moved,
          "a moved panel is where the user left it after a restart")
    session.screenshot("e2e-panels-restarted.png")
    again.stop()


if __name__ == "__main__":
    run_test(body)
