#!/usr/bin/env python3
"""Start-up of the real program on a crowded desktop under Xvfb: time from
process start until every panel window is mapped, and peak memory.

Usage: bench/bench_startup.py build/src/larkspan [items=2000] [runs=7]"""

import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import x11session  # noqa: E402

KINDS = ["txt", "pdf", "png", "jpg", "mp3", "mp4", "zip", "cpp", "py", "docx", "qqq", "md", "svg", "json"]


def populate(desktop, count):
    os.makedirs(desktop)
    for i in range(count):
        if i % 25 == 0:
            os.makedirs(os.path.join(desktop, f"Folder {i}"))
            continue
        with open(os.path.join(desktop, f"Item {i}.{KINDS[i % len(KINDS)]}"), "w") as f:
            f.write("x")


class MapWatcher:
    """Records when top-level windows get mapped, from the root window's
    substructure events, without polling the X server."""

    def __init__(self, session):
        self.maps = []
        self.process = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=session.env(),
                                        stdout=subprocess.PIPE, text=True)
        threading.Thread(target=self._read, daemon=True).start()
        time.sleep(0.3)

    def _read(self):
        for line in self.process.stdout:
            if line.startswith("MapNotify"):
                self.maps.append(time.perf_counter())

    def close(self):
        self.process.terminate()


def peak_rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    binary = sys.argv[1]
    items = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    expected = 9  # system, folders, documents, images, audio, video, archives, code, other
    times, memory = [], []
    with tempfile.TemporaryDirectory() as home, x11session.Session() as session:
        populate(os.path.join(home, "Desktop"), items)
        env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                          XDG_RUNTIME_DIR=os.path.join(home, "run"), LANG="C.UTF-8")
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        watcher = MapWatcher(session)
        for _ in range(runs):
            watcher.maps.clear()
            start = time.perf_counter()
            app = subprocess.Popen([binary, "--keep-icons", "--no-tray"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            while len(watcher.maps) < expected:
                if time.perf_counter() - start > 20:
                    raise SystemExit("panels did not appear")
                time.sleep(0.01)
            times.append((watcher.maps[expected - 1] - start) * 1000)
            time.sleep(1.0)  # let icons and late work settle before reading the peak
            memory.append(peak_rss_mb(app.pid))
            app.terminate()
            app.wait(10)
            time.sleep(0.5)
        watcher.close()
    print(f"start to {expected} panels mapped, {items} items: median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f}); peak RSS median {statistics.median(memory):.1f} MB")


if __name__ == "__main__":
    main()
