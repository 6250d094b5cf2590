#!/usr/bin/env python3
"""Without any X11 display (over SSH, in a script, in a Wayland session without
XWayland): --help and --version answer on standard output, and a start says
that a display is needed and ends with 1 instead of aborting."""

import os
import subprocess
import tempfile

from x11session import BINARY, check, finish

NEEDED = "needs an X11 or XWayland display"


def run(home, *options, **extra):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_ALL")}
    env.update(HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_RUNTIME_DIR=home, LANG="C.UTF-8", **extra)
    return subprocess.run([BINARY, *options], env=env, capture_output=True, text=True, timeout=30)


def main():
    with tempfile.TemporaryDirectory() as home:
        version = run(home, "--version")
        check(version.returncode == 0 and version.stdout.strip() == "brim-vale 1.1.0",
              f"--version answers ({version.returncode}: {version.stdout!r} {version.stderr!r})")
        for option in ("--help", "-h"):
            shown = run(home, option)
            check(shown.returncode == 0 and "--no-tray" in shown.stdout,
                  f"{option} answers ({shown.returncode}: {shown.stderr!r})")
        for what, extra in [("no display at all", {}),
                            ("Wayland without XWayland", {"WAYLAND_DISPLAY": "wayland-none"}),
                            ("a display that cannot be opened", {"DISPLAY": ":9999"})]:
            start = run(home, "--no-tray", **extra)
            check(start.returncode == 1 and NEEDED in start.stderr,
                  f"{what}: a start says a display is needed and ends with 1 "
                  f"({start.returncode}: {start.stderr!r})")
        bad = run(home, "--no-such-option")
        check(bad.returncode == 1 and "no-such-option" in bad.stderr, "a bad option is reported")
    finish()


if __name__ == "__main__":
    main()
