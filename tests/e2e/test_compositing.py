#!/usr/bin/env python3
"""Windows with and without a compositing manager: without one every window of
the organiser is painted solid and cut to its outline, so no corner shows black
and the desktop shows around a loose item, also while an item is dragged; once
xcompmgr runs the windows turn translucent and the same holds; when it goes
they turn solid again."""

import subprocess
import time

from x11session import Home, bare_point, bright_fraction, check, run_test, wait_until

WALLPAPER = (0x6a, 0x8c, 0xaf)
LOOSE = {"notes.txt": (600, 620), "photo.png": (760, 620)}
CELL = (88, 96)
PANEL = "Documents"


class Shot:
    """A screenshot kept as an artefact, its pixels at hand."""

    def __init__(self, session, name):
        self.path = session.screenshot(name)
        self.width = session.size[0]
        self.data = subprocess.run(["convert", self.path, "-depth", "8", "rgb:-"], capture_output=True,
                                   timeout=30).stdout

    def __call__(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def near(a, b, tolerance=10):
    return len(a) == 3 and all(abs(p - q) <= tolerance for p, q in zip(a, b))


def corners(rect):
    x, y, w, h = rect
    return [(x + 1, y + 1), (x + w - 2, y + 1), (x + 1, y + h - 2), (x + w - 2, y + h - 2)]


def settled_shot(session, name, ok, timeout=10):
    """A screenshot once ok(shot) holds (windows paint late under load), else the last one."""
    deadline = time.time() + timeout
    while True:
        shot = Shot(session, name)
        if ok(shot) or time.time() > deadline:
            return shot
        time.sleep(0.2)


def check_corners(session, name, windows, when, beneath=None):
    """The corners of each window show the wallpaper, or what the shot beneath shows there."""
    def expected(shot, rect):
        return [(shot(*p), beneath(*p) if beneath else WALLPAPER) for p in corners(rect)]
    shot = settled_shot(session, name, lambda s: all(near(*e) for r in windows.values() for e in expected(s, r)))
    for title, rect in windows.items():
        seen, wanted = zip(*expected(shot, rect))
        check(all(map(near, seen, wanted)), f"{when}: the corners of {title!r} show {wanted}: {seen}")
    return shot


def body_pixel(shot, rect):
    """A point of a panel's body below its items."""
    x, y, w, h = rect
    return shot(x + w // 2, y + h - 6)


def popup_windows(session, pid, known):
    found = session.run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "--class", "brim-vale").stdout.split()
    return [session.geometry(w) for w in found if w not in known]


def body(session, root):
    if not check(session.start_window_manager("openbox"), "openbox starts"):
        return
    # Unlike xsetroot's plain colour, a wallpaper a compositing manager shows too (_XROOTPMAP_ID).
    session.run("hsetroot", "-solid", "#%02x%02x%02x" % WALLPAPER)
    home = Home(session, root, items=["notes.txt", "photo.png", "report.pdf", "song.mp3"],
                settings="[currency]\nvisible=true\n\n[todo]\nvisible=true\n", bus=False)
    home.write_layout({"desktopPositions": {home.item(n): list(p) for n, p in LOOSE.items()}})
    app = home.start("--keep-icons", "--no-tray")
    windows = app.wait_for([PANEL, "To-do", "Currency conversion", *LOOSE])
    if not check(all(t in windows for t in [PANEL, "To-do", "Currency conversion", *LOOSE]),
                 f"panels, the to-do list, the currency panel and the loose items are shown: {windows}"):
        return app.stop()
    bare = bare_point(windows.values(), session.size, 220)
    if not check(bare is not None, "there is bare desktop"):
        return app.stop()
    bare = (*bare, 80, 80)  # a square, still 140 px clear of every window
    known = set(session.run("xdotool", "search", "--pid", str(app.pid), "--class", "brim-vale").stdout.split())

    def quick_search(name):
        x, y, w, h = windows[PANEL]
        session.click(x + w // 2, y + h - 28)
        session.run("xdotool", "type", "--delay", "80", "no")
        found = wait_until(lambda: app.windows().get("Quick search"), 10)
        if check(found is not None, f"{name}: typing on a panel opens the quick search"):
            check_corners(session, f"e2e-compositing-{name}-search.png", {"Quick search": found}, name)
        session.run("xdotool", "key", "Escape")
        wait_until(lambda: "Quick search" not in app.windows(), 5)

    def currency_list(name):
        x, y, w, h = windows["Currency conversion"]
        before = Shot(session, f"e2e-compositing-{name}-before-list.png")
        session.click(x + w - 16 - 42, y + 55)  # the "from" currency selector
        popup = wait_until(lambda: popup_windows(session, app.pid, known), 10)
        if check(bool(popup), f"{name}: a click on the currency selector opens its list"):
            # The list lies partly over the panel: its corners show whatever was there before.
            check_corners(session, f"e2e-compositing-{name}-list.png", {"the currency list": popup[0]}, name, before)
        session.run("xdotool", "key", "Escape")
        wait_until(lambda: not popup_windows(session, app.pid, known), 5)

    def drag(name, target):
        """Drags notes.txt to the target and checks the desktop while the drag runs."""
        def held():
            surface = wait_until(lambda: [w for w in popup_windows(session, app.pid, known)
                                          if w[2] >= session.size[0] and w[3] >= session.size[1]], 10)
            check(bool(surface), f"{name}: while an item is dragged a drop surface covers the desktop")
            photo = windows["photo.png"]
            shot = check_corners(session, f"e2e-compositing-{name}-drag.png",
                                 {"photo.png": photo, "bare desktop": bare}, f"{name}, dragging")
            check(bright_fraction(shot.path, (photo[0], photo[1] + 56, CELL[0], 36)) > 0.02,
                  f"{name}: the other loose item's name shows during the drag")
        start = (windows["notes.txt"][0] + CELL[0] // 2, windows["notes.txt"][1] + 28)
        session.drag(start, target, held=held)
        moved = wait_until(lambda: app.windows().get("notes.txt", start)[:2] != windows["notes.txt"][:2], 10)
        check(bool(moved), f"{name}: the drop on the desktop moves the loose item")
        windows.update(app.windows())

    # No compositing manager.
    shot = check_corners(session, "e2e-compositing-none.png", windows, "no compositor")
    solid = body_pixel(shot, windows[PANEL])
    check(near(solid, (0x1c, 0x1f, 0x26), 6), f"no compositor: the panel body is solid: {solid}")
    for title in LOOSE:
        x, y, w, h = windows[title]
        check(bright_fraction(shot.path, (x, y + 56, w, 36)) > 0.02, f"no compositor: {title}'s name shows")
    quick_search("none")
    currency_list("none")
    drag("none", (1100, 800))

    # A compositing manager arrives.
    compositor = session.spawn(["xcompmgr"])
    translucent = wait_until(lambda: (lambda p: not near(p, solid, 6) and p)(
        body_pixel(Shot(session, "e2e-compositing-xcompmgr.png"), windows[PANEL])), 20)
    check(bool(translucent), f"with xcompmgr the panel body turns translucent: {translucent}")
    check_corners(session, "e2e-compositing-xcompmgr.png", windows, "xcompmgr")
    quick_search("xcompmgr")
    currency_list("xcompmgr")
    drag("xcompmgr", (900, 820))

    # And goes.
    compositor.terminate()
    compositor.wait(5)
    again = wait_until(lambda: near(body_pixel(Shot(session, "e2e-compositing-gone.png"), windows[PANEL]), solid, 6),
                       20)
    check(bool(again), "when xcompmgr ends the panel body is solid again")
    check_corners(session, "e2e-compositing-gone.png", windows, "xcompmgr gone")
    app.stop()


if __name__ == "__main__":
    run_test(body, tools=["hsetroot"], window_manager=False)
