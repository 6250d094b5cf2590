#!/usr/bin/env python3
"""The currency panel on a real X desktop against a rate server of the test's
own: an amount typed as an expression is converted at the served rate; after
a restart with the server gone the cached rate is still used and the status
says the refresh failed. Typed separators stay as typed: "1,5" is no number in
English, "1,500" is 1500. Screenshots left-to-right and in Arabic."""

import os
import subprocess
import sys
import time

from rate_server import RATE, serve
from x11session import ARTEFACTS, Home, check, run_test, wait_until

PANEL_SIZE = (300, 214)  # the panel's default size


def home(session, root, language):
    return Home(session, os.path.join(root, language), settings=f"[ui]\nlanguage={language}\n", bus=False)


def start(home, base, when):
    """The organiser with its currency log on; returns it, its panel and a reader of its log."""
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


def body(session, root):
    english = home(session, root, "en")
    with serve() as (base, _):
        app, panel, line = start(english, base, "at first start")
        status = line("status:", "Frankfurter")
        check(status is not None and status.startswith("Frankfurter \u00b7"), f"the served rate is used ({status!r})")
        if panel:
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
            session.run("xdotool", "key", "ctrl+a", "BackSpace")
            session.run("xdotool", "type", "--delay", "60", "1,5")
            result = line("result:", "(not a number)")
            check(result is not None and result.startswith("(not a number) |"),
                  f"1,5 keeps its comma in English and is no number ({result!r})")
            session.run("xdotool", "type", "--delay", "60", "00")
            expected = f"{1500 * RATE:.2f}"
            result = line("result:", expected)
            check(result is not None and result.startswith(expected + " |"),
                  f"1,500 in English is 1500 and converts to {expected} ({result!r})")
            shot = session.screenshot("e2e-currency.png")
            subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", os.path.join(ARTEFACTS,
                            "e2e-currency-panel.png")], timeout=30)
        app.stop()

    # Offline: the server is gone; the cached rate stays in use.
    app, panel, line = start(english, base, "again after the restart")
    status = line("status:", "Refresh failed")
    check(status is not None and status.startswith("Cached rate \u00b7 Refresh failed / As of"),
          f"offline the cached rate is kept and the refresh reported failed ({status!r})")
    result = line("result:", "1 USD = 7.25 CNY")
    check(result is not None and "1 USD = 7.25 CNY" in result, "the cached rate converts offline")
    session.screenshot("e2e-currency-offline.png")
    app.stop()

    # Arabic, in a home of its own: right to left, Arabic-Indic digits.
    with serve() as (base, _):
        app, panel, line = start(home(session, root, "ar"), base, "in Arabic")
        result = line("result:", "\u0667")
        check(result is not None and result.startswith("\u0667\u066b\u0662\u0665"),
              f"the result is written with Arabic-Indic digits ({result!r})")
        session.screenshot("e2e-currency-arabic.png")
        app.stop()


if __name__ == "__main__":
    sys.exit(run_test(body))
