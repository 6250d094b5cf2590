#!/usr/bin/env python3
"""The desktop's own icons on a real xfdesktop: hidden while the organiser
runs, given back when it ends (also after SIGKILL, by the next run), and
never shown when the user had hidden them before the start."""

import signal
import sys
import time

from x11session import XFCONFD, Home, bright_fraction, check, run_test, wait_until

# The top of the column where xfdesktop draws its icons.
ICON_COLUMN = (0, 0, 120, 400)


def body(session, root):
    home = Home(session, root, items=["notes.txt"])
    home.start_xfce()

    # Visible at start (no property): hidden while running, the property removed
    # again after SIGTERM, exactly as it was.
    check(home.style() is None, "icons visible before the start")
    app = home.start("--no-tray")
    check(home.wait_style("0"), "icons hidden while the organiser runs")
    check("Documents" in app.wait_for(["Documents"]), "the panels show instead")
    time.sleep(0.5)  # let xfdesktop repaint without its icons
    session.screenshot("e2e-icons-hidden.png")
    app.stop()
    check(home.wait_style(None), "after SIGTERM the property is gone again, as before the start")
    session.screenshot("e2e-icons-back.png")

    # "Quit" in a panel's menu gives them back too.
    app = home.start("--no-tray")
    check(app.quit_from_menu() == 0, "\"Quit\" in the panel menu ends the organiser with 0")
    check(home.wait_style(None), "after \"Quit\" the property is gone again")

    # A style the user chose comes back as it was.
    home.set_style(2)
    app = home.start("--no-tray")
    check(home.wait_style("0"), "icons hidden over the user's style")
    app.stop(signal.SIGINT)
    check(home.wait_style("2"), "after SIGINT the user's style is back")

    # SIGKILL leaves them hidden; the next run takes them over and gives them back.
    app = home.start("--no-tray")
    check(home.wait_style("0"), "icons hidden before the kill")
    # Killed once the run has noted that it hid them (a moment after the switch flips).
    wait_until(lambda: home.settings_path.exists() and "iconsHiddenByUs=true" in home.settings())
    app.process.kill()
    app.process.wait(10)
    check(home.style() == "0", "a killed organiser leaves them hidden")
    # The icons are switched before the panels show, so a panel on screen means the start is done.
    app = home.start("--no-tray")
    app.wait_for(["Documents"])
    check(home.style() == "0", "the next run keeps them hidden")
    app.stop()
    # What the killed run replaced is unknown; xfdesktop's own default shows them.
    check(home.wait_style(None), "and gives them back when it ends")

    # Icons the user hid stay hidden; --keep-icons makes no attempt. Both while it runs and after.
    for style, options, what in [("0", [], "icons the user hid stay hidden"),
                                 (None, ["--keep-icons"], "--keep-icons leaves the icons alone")]:
        home.set_style(style)
        app = home.start("--no-tray", *options)
        app.wait_for(["Documents"])
        running = home.style()
        app.stop()
        check(running == style and home.style() == style, f"{what} (running: {running}, after: {home.style()})")


def quick_restart(session, root):
    """Started again right after "Quit": xfdesktop is still rebuilding the
    icons it was given back, so the new run waits before hiding them again,
    and they come back when it ends. A desktop of its own: xfdesktop 4.18
    leaves the session bus (and so stops hearing xfconf) after about five
    hides in one run of it, whatever their timing."""
    home = Home(session, root, items=["notes.txt"])
    home.start_xfce()
    app = home.start("--no-tray")
    check(home.wait_style("0"), "icons hidden by the first run")
    check(app.quit_from_menu() == 0 and home.wait_style(None), "\"Quit\" gives them back")
    given_back = time.time()
    app = home.start("--no-tray")
    check(home.wait_style("0"), "the run started at once hides them too")
    waited = time.time() - given_back
    check(waited > 2.5, f"but only once xfdesktop has settled ({waited:.1f} s after they came back)")
    check(app.quit_from_menu() == 0 and home.wait_style(None), "\"Quit\" gives them back again")
    check(home.desktop_running(), "xfdesktop survived both")
    shot = wait_until(lambda: (lambda path: bright_fraction(path, ICON_COLUMN) > 0.05 and path)(
        session.screenshot("e2e-icons-quick-restart.png")))
    check(bool(shot), "xfdesktop draws its icons again")


if __name__ == "__main__":
    sys.exit(run_test(body, quick_restart, tools=["xfdesktop", "xfconf-query", XFCONFD]))
