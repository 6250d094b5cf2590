#!/usr/bin/env python3
"""The desktop's own icons on a real Nemo (Cinnamon) or Caja (MATE) desktop,
whose switches live in GSettings (dconf on the session's private bus): hidden
while the organiser runs, given back exactly as the user had them on "Quit",
SIGTERM, and after SIGKILL by the next run. Argument: nemo or caja."""

import os
import signal
import subprocess
import sys

from x11session import Home, bright_fraction, check, run_test, wait_until

DCONF_SERVICE = "/usr/libexec/dconf-service"
# Where both desktops draw their first icons (the top of the left column).
ICON_COLUMN = (0, 0, 150, 260)
DESKTOPS = {
    # process and command, schema and key, the user's own shown value, the hiding value
    "nemo": (["nemo-desktop"], "org.nemo.desktop", "desktop-layout", "'true::true'", "'false::false'"),
    "caja": (["caja", "--force-desktop", "--no-default-window"], "org.mate.background", "show-desktop-icons",
             "true", "false"),
}
WHICH = sys.argv[3] if len(sys.argv) > 3 else "nemo"
COMMAND, SCHEMA, KEY, SHOWN, HIDDEN = DESKTOPS[WHICH]


def body(session, root):
    # Without the to-do and currency panels, which would cover the icon column.
    home = Home(session, root, items=["notes.txt"], settings="[todo]\nvisible=false\n[currency]\nvisible=false\n")
    # dconf keeps the values in the throw-away home; the organiser, the desktop and
    # gsettings share its service on the session's bus.
    gsettings = lambda *args: subprocess.run(["gsettings", *args], env=home.env(), capture_output=True,  # noqa: E731
                                             text=True, timeout=30).stdout.strip()
    session.spawn([DCONF_SERVICE], env=home.env())
    home.wait_for_name("ca.desrt.dconf")
    gsettings("set", "org.nemo.preferences", "treat-root-as-normal", "true")  # tests may run as root
    gsettings("set", SCHEMA, KEY, SHOWN)
    key = lambda: gsettings("get", SCHEMA, KEY)  # noqa: E731
    process = COMMAND[0]

    def drawn(name):
        """The icons as a user sees them: True drawn, False not (waited for), with a screenshot."""
        shot = session.screenshot(f"e2e-icons-{WHICH}-{name}.png")
        return bright_fraction(shot, ICON_COLUMN) > 0.02

    def wait_drawn(expected, name):
        return wait_until(lambda: drawn(name) == expected, 15) and drawn(name) == expected

    session.spawn(COMMAND, env=home.env())
    check(wait_drawn(True, "before"), f"{WHICH} draws its icons before the start")

    def by_quit(app):
        check(app.quit_from_menu() == 0, "\"Quit\" in the panel menu ends the organiser with 0")

    def by_kill(app):
        app.kill(lambda: "iconsHiddenByUs=true" in home.settings())
        check(key() == HIDDEN and not drawn("killed"), "a killed organiser leaves them hidden")
        app = home.start("--no-tray")
        app.wait_for(["Documents"])
        check(key() == HIDDEN, "the next run keeps them hidden")
        app.stop()

    # Hidden while the organiser runs; given back however it ends (after SIGKILL, by the next run).
    for what, end in [("SIGTERM", lambda app: app.stop()), ("\"Quit\"", by_quit), ("SIGKILL", by_kill)]:
        app = home.start("--no-tray")
        check(wait_until(lambda: key() == HIDDEN, 15), f"{what}: {KEY} hides the icons while the organiser runs")
        check(wait_drawn(False, "hidden"), f"{what}: and {WHICH} no longer draws them")
        end(app)
        check(wait_until(lambda: key() == SHOWN, 15), f"{what}: the user's {KEY} {SHOWN} is back ({key()})")
        check(wait_drawn(True, "back"), f"{what}: {WHICH} draws its icons again")
        check(len(session.pids(process)) == 1, f"{what}: one {process} runs in this session")

    # The desktop started again by the organiser ends with the session.
    for pid in session.pids(process):
        os.kill(pid, signal.SIGTERM)


if __name__ == "__main__":
    run_test(body, tools=[COMMAND[0], "gsettings", DCONF_SERVICE])
