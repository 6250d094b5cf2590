#!/usr/bin/env python3
"""Every window of the organiser in room of its own, on small, large and scaled
screens: at first start, after a new panel, after showing the currency
converter again and after "Tidy panels", no two visible windows overlap and all
lie on the screen. One X server per screen size; each scale factor is a fresh
start with a fresh home."""

import os

from x11session import Home, check, overlaps, run_test, wait_until

SIZES = [(1280, 720), (1366, 768), (1920, 1080), (3840, 2160)]
SCALES = ["1", "1.25", "1.5", "2"]
TODO, CURRENCY, IMAGES = "To-do", "Currency conversion", "Images"
# A panel menu's entries counted from its end, as the organiser wires it
# without a tray (the layout entries, then "Quit"): Up from nothing chosen lands on the last entry.
FROM_END = {"Currency converter": 6, "Tidy panels": 14, "New panel": 19}
# Below this logical size the work area cannot hold the list column beside the
# to-do list stacked on the converter (24 + 300 + 16 + 260 + 24 px wide,
# 24 + 150 + 16 + 210 + 24 px high): there no window may hide another wholly.
ROOMY = (624, 424)


def menu(session, app, entry):
    x, y, w, h = app.windows()[IMAGES]
    session.open_menu(x + w // 2, y + h - 6)
    session.run("xdotool", "key", *["Up"] * FROM_END[entry], "Return")


def verify(row, moment, windows, size, roomy):
    rects = list(windows.items())
    check(all(x >= 0 and y >= 0 and x + w <= size[0] and y + h <= size[1] for _, (x, y, w, h) in rects),
          f"{row}, {moment}: every window lies on the screen {windows}")
    if roomy:
        pairs = [(a, b) for i, (a, ra) in enumerate(rects) for b, rb in rects[i + 1:] if overlaps(ra, rb)]
        check(not pairs, f"{row}, {moment}: no two windows overlap {pairs}")
    else:
        # Too small for all of them: none is hidden wholly behind another.
        check(all(not (ra[0] >= rb[0] and ra[1] >= rb[1] and ra[0] + ra[2] <= rb[0] + rb[2]
                       and ra[1] + ra[3] <= rb[1] + rb[3]) for a, ra in rects for b, rb in rects if a != b),
              f"{row}, {moment}: no window is hidden behind another {windows}")


def walk(session, root):
    for scale in SCALES:
        # A fresh home per scale: every start is a first start.
        walk_row(session, os.path.join(root, scale), session.size, scale)


def walk_row(session, root, size, scale):
    logical = (int(size[0] / float(scale)), int(size[1] / float(scale)))
    roomy = logical[0] >= ROOMY[0] and logical[1] >= ROOMY[1]
    row = f"{size[0]}x{size[1]} at scale {scale}"
    home = Home(session, root, items=["photo.png"], settings="[ui]\nlanguage=en\n", bus=False)
    app = home.start("--keep-icons", "--no-tray", QT_SCALE_FACTOR=scale)
    first = app.settled([IMAGES, TODO, CURRENCY])
    if not check(all(t in first for t in [IMAGES, TODO, CURRENCY]), f"{row}: every window shows {first}"):
        return app.stop()
    verify(row, "first start", first, size, roomy)

    # The converter put away, a new panel, then the converter back.
    menu(session, app, "Currency converter")
    wait_until(lambda: CURRENCY not in app.windows())
    menu(session, app, "New panel")
    wait_until(lambda: "New panel" in app.windows())
    verify(row, "a new panel", app.settled([IMAGES, TODO, "New panel"]), size, roomy)
    menu(session, app, "Currency converter")
    verify(row, "the converter shown again", app.settled([IMAGES, TODO, CURRENCY, "New panel"]), size, roomy)

    menu(session, app, "Tidy panels")
    verify(row, "tidied", app.settled([IMAGES, TODO, CURRENCY, "New panel"]), size, roomy)
    app.stop()


if __name__ == "__main__":
    run_test(walk, sizes=SIZES)
