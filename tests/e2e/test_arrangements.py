#!/usr/bin/env python3
"""Each display arrangement keeps its own layout: windows moved onto a second
screen come onto the first, clear of each other, when it goes away, and return
to the pixel when it comes back; a restart in between changes neither. The
screens are RandR monitors on one wide Xvfb screen, as the program sees them."""

from x11session import check, Home, overlaps, run_test, wait_until

LEFT = "LEFT 1920/508x1080/286+0+0"
RIGHT = "RIGHT 1920/508x1080/286+1920+0"
PANELS = ["Documents", "Images", "Folders"]
LOOSE, LOOSE_PLACE = "notes.txt", (2500, 700)


def on_left_apart(windows):
    """Every window on the left screen, and no two but the loose item (a desktop icon) overlapping."""
    apart = [r for title, r in windows.items() if title != LOOSE]
    return (LOOSE in windows
            and all(x >= 0 and y >= 0 and x + w <= 1920 and y + h <= 1080 for x, y, w, h in windows.values())
            and not any(overlaps(a, b) for i, a in enumerate(apart) for b in apart[i + 1:]))


def body(session, root):
    session.run("xrandr", "--setmonitor", *LEFT.split(), "screen")
    session.run("xrandr", "--setmonitor", *RIGHT.split(), "none")
    home = Home(session, root, items=["report.pdf", LOOSE, "photo.png", "Projects/"])
    home.write_layout({"desktopPositions": {home.item(LOOSE): list(LOOSE_PLACE)}})
    app = home.start("--keep-icons", "--no-tray")
    windows = app.settled(PANELS)
    # Two panels onto the right screen, where on the left screen they would cover others.
    for title, target in (("Documents", (2100, 60)), ("Images", (2150, 400))):
        x, y, w, h = windows[title]
        session.drag((x + w // 3, y + 20), (target[0] + w // 3, target[1] + 20))
    docked = app.settled(PANELS)
    session.screenshot("e2e-arrangements-two-screens.png")
    check(sum(x >= 1920 for x, _, _, _ in docked.values()) == 3 and docked.get(LOOSE, (0, 0))[:2] == LOOSE_PLACE,
          f"two panels and the loose item lie on the right screen: {docked}")

    session.run("xrandr", "--delmonitor", "RIGHT")
    check(wait_until(lambda: on_left_apart(app.windows()), 20),
          f"with the right screen gone every window is on the left one, none covering another: {app.windows()}")
    undocked = app.settled(PANELS)
    session.screenshot("e2e-arrangements-one-screen.png")
    app.stop()
    app = home.start("--keep-icons", "--no-tray")
    check(app.settled(PANELS) == undocked, "restarted on one screen, the windows are where that screen had them")

    session.run("xrandr", "--setmonitor", *RIGHT.split(), "none")
    check(wait_until(lambda: app.windows() == docked, 20),
          f"with the right screen back every window is where it was: {app.windows()} against {docked}")
    session.screenshot("e2e-arrangements-screen-back.png")
    app.stop()
    app = home.start("--keep-icons", "--no-tray")
    restarted = app.settled(PANELS)
    check(restarted == docked, f"restarted on two screens, every window is where it was: {restarted}")
    app.stop()


if __name__ == "__main__":
    run_test(body, tools=("xrandr",), sizes=((3840, 1080),))
