#!/usr/bin/env python3
"""The currency panel on a real X desktop against a rate server of the test's
own: an amount typed as an expression is converted at the served rate; after
a restart with the server gone the cached rate is still used and the status
says the refresh failed. Screenshots left-to-right and in Arabic."""

import datetime
import http.server
import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import x11session  # noqa: E402

PANEL_SIZE = (300, 214)  # the panel's default size
RATE = 7.25

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


class RateHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        parts = self.path.strip("/").split("/")
        if len(parts) == 4 and parts[:2] == ["v2", "rate"] and parts[2] in ("USD",) and parts[3] == "CNY":
            yesterday = (datetime.date.today() - datetime.timedelta(days=1)).isoformat()
            body = json.dumps({"base": parts[2], "quote": parts[3], "rate": RATE, "date": yesterday}).encode()
            self.send_response(200)
        else:
            body = json.dumps({"message": "not found"}).encode()
            self.send_response(422)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def start_server():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), RateHandler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def make_home(root, language):
    os.makedirs(os.path.join(root, "Desktop"))
    config = os.path.join(root, ".config", "brim-vale")
    os.makedirs(config)
    with open(os.path.join(config, "brim-vale.conf"), "w") as f:
        f.write(f"[ui]\nlanguage={language}\n")


class App:
    def __init__(self, session, binary, home, base):
        self.log_path = os.path.join(home, "stderr.log")
        env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                          XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                          XDG_RUNTIME_DIR=os.path.join(home, "run"), LANG="C.UTF-8", LANGUAGE="",
                          LARKSPAN_RATES_URL=base, QT_LOGGING_RULES="larkspan.currency.info=true")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([binary, "--keep-icons", "--no-tray"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=self.log)

    def lines(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def wait_line(self, prefix, contains, timeout=15):
        """The last log line with the prefix once it contains the text, else the last one seen."""
        deadline = time.time() + timeout
        last = None
        while time.time() < deadline:
            matching = [line.split(prefix, 1)[1].strip() for line in self.lines() if prefix in line]
            last = matching[-1] if matching else None
            if last is not None and contains in last:
                return last
            time.sleep(0.1)
        return last

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        code = self.process.wait(15)
        self.log.close()
        return code


def panel_window(session, pid, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for geometry in session.windows(pid).values():
            if geometry[2:] == PANEL_SIZE:
                time.sleep(0.3)
                return geometry
        time.sleep(0.1)
    return None


def main():
    binary, artifacts = sys.argv[1], sys.argv[2]
    missing = x11session.missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return x11session.SKIP
    os.makedirs(artifacts, exist_ok=True)

    server = start_server()
    base = f"http://127.0.0.1:{server.server_address[1]}"
    with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as arabic_home, \
            x11session.Session() as session:
        make_home(home, "en")
        app = App(session, binary, home, base)
        panel = panel_window(session, app.process.pid)
        check(panel is not None, "the currency panel shows at first start")
        status = app.wait_line("status:", "Frankfurter")
        check(status is not None and status.startswith("Frankfurter \u00b7"), f"the served rate is used ({status!r})")
        if panel:
            x, y, w, h = panel
            # Into the amount field (left of the "from" selector, below the header), then type.
            session.run("xdotool", "mousemove", str(x + 60), str(y + 55), "click", "1")
            time.sleep(0.3)
            session.run("xdotool", "key", "ctrl+a", "BackSpace")
            session.run("xdotool", "type", "--delay", "60", "12*3+4")
            expected = f"{40 * RATE:.2f}"
            result = app.wait_line("result:", expected)
            check(result is not None and result.startswith(expected + " |"),
                  f"12*3+4 USD converts to {expected} CNY ({result!r})")
            check(result is not None and "1 USD = 7.25 CNY" in result, "the rate line shows the served rate")
            session.screenshot(os.path.join(artifacts, "e2e-currency.png"))
            subprocess.run(["convert", os.path.join(artifacts, "e2e-currency.png"), "-crop", f"{w}x{h}+{x}+{y}",
                            os.path.join(artifacts, "e2e-currency-panel.png")], timeout=30)
        check(app.stop() == 0, "SIGTERM ends the organiser with 0")

        # Offline: the server is gone; the cached rate stays in use.
        server.shutdown()
        server.server_close()
        again = App(session, binary, home, base)
        panel = panel_window(session, again.process.pid)
        check(panel is not None, "the currency panel shows again after the restart")
        status = again.wait_line("status:", "Refresh failed")
        check(status is not None and status.startswith("Cached rate \u00b7 Refresh failed / As of"),
              f"offline the cached rate is kept and the refresh reported failed ({status!r})")
        result = again.wait_line("result:", "1 USD = 7.25 CNY")
        check(result is not None and "1 USD = 7.25 CNY" in result, "the cached rate converts offline")
        session.screenshot(os.path.join(artifacts, "e2e-currency-offline.png"))
        check(again.stop() == 0, "SIGTERM ends the organiser with 0 offline")

        # Arabic: right to left, Arabic-Indic digits.
        make_home(arabic_home, "ar")
        server = start_server()
        arabic = App(session, binary, arabic_home, f"http://127.0.0.1:{server.server_address[1]}")
        panel = panel_window(session, arabic.process.pid)
        check(panel is not None, "the currency panel shows in Arabic")
        result = arabic.wait_line("result:", "\u0667")
        check(result is not None and result.startswith("\u0667\u066b\u0662\u0665"),
              f"the result is written with Arabic-Indic digits ({result!r})")
        session.screenshot(os.path.join(artifacts, "e2e-currency-arabic.png"))
        check(arabic.stop() == 0, "SIGTERM ends the Arabic organiser with 0")
        server.shutdown()
        server.server_close()

    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
