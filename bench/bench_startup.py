#!/usr/bin/env python3
"""Start-up of the real program on a crowded desktop under Xvfb, against a floor
and a peer started in the same session, turn about:

- the program at its first start (no settings, no layout, no cache: each run
  has its own): time from process start until the last window it maps (every
  panel, the to-do list and the currency converter) is mapped, and its peak
  resident memory once the icons have arrived;
- the floor (bench/larkspan_bench_floor): an otherwise empty Qt program mapping
  the same windows in the same places and sizes (taken from a first run of the
  program) as translucent frameless tool windows; the program's time is printed
  as a ratio to it, since absolute times on a shared machine vary;
- the LXQt desktop (`pcmanfm-qt --desktop`, when installed): time until it maps
  its desktop window on the same folder.

Times come from the root window's MapNotify events (`xev -root -event
substructure`), never from polling the X server.

- with folder=N, the program again with a folder panel over a folder of N
  items: what that panel adds to the time until the last window is mapped
  and to the peak resident memory.

Usage: bench/bench_startup.py build/src/larkspan [items=2000] [runs=7] [pictures=0] [folder=0]
The floor is looked for as bench/larkspan_bench_floor in the program's build tree."""

import json
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import rate_server  # noqa: E402
import x11session  # noqa: E402

KINDS = ["txt", "pdf", "png", "jpg", "mp3", "mp4", "zip", "cpp", "py", "docx", "qqq", "md", "svg", "json"]
PICTURE_SIZE = (800, 600)


def write_png(path, width, height, seed):
    """A real, distinct picture: a gradient whose colours depend on seed."""
    rows = []
    for y in range(height):
        shade = (seed * 37 + y) % 256
        left = bytes((shade, (seed * 11) % 256, 255 - shade)) * (width // 2)
        right = bytes(((seed * 5 + y // 3) % 256, shade, (seed * 53) % 256)) * (width - width // 2)
        rows.append(b"\0" + left + right)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 1)) +
                chunk(b"IEND", b""))


def populate(desktop, count, pictures=0):
    """count items: one folder in 25, files of the kinds above (empty pictures
    among them), and of those files the first `pictures` are real PNG pictures."""
    os.makedirs(desktop)
    made = 0
    for i in range(count):
        if i % 25 == 0:
            os.makedirs(os.path.join(desktop, f"Folder {i}"))
            continue
        if made < pictures:
            write_png(os.path.join(desktop, f"Picture {i}.png"), *PICTURE_SIZE, i)
            made += 1
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
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


def settled_peak_rss_mb(pid, quiet=1.0, limit=20.0):
    """The peak once it has not grown for `quiet` seconds: icons and
    thumbnails arrive after the panels are mapped."""
    start = last_change = time.perf_counter()
    peak = peak_rss_mb(pid)
    while time.perf_counter() - last_change < quiet and time.perf_counter() - start < limit:
        time.sleep(0.1)
        now = peak_rss_mb(pid)
        if now != peak:
            peak, last_change = now, time.perf_counter()
    return peak


def cpu_ms(pid):
    """CPU time the process has used (user and system), in ms."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")
    except OSError:
        return 0.0


def time_maps(watcher, argv, env, expected, measure_memory=False):
    """Starts argv and returns (ms until its expected-th map, CPU ms used by
    then, peak MB or None). The CPU time is read within 5 ms of the map; on
    a busy machine it says more than the wall time."""
    watcher.maps.clear()
    start = time.perf_counter()
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while len(watcher.maps) < expected:
            if time.perf_counter() - start > 30 or process.poll() is not None:
                raise SystemExit(f"{argv[0]} did not map {expected} windows")
            time.sleep(0.005)
        used = cpu_ms(process.pid)
        elapsed = (watcher.maps[expected - 1] - start) * 1000
        memory = settled_peak_rss_mb(process.pid) if measure_memory else None
        if not measure_memory:
            time.sleep(1.0)  # its first paint and late work must not overlap the next start
        return elapsed, used, memory
    finally:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        time.sleep(0.5)


def describe(label, times):
    return f"{label}: median {statistics.median(times):.0f} ms (min {min(times):.0f}, max {max(times):.0f})"


def first_start_env(session, home, run, rates):
    """A first start: settings, layout and caches of this run alone. `rates` is
    the environment pointing the currency panel, which asks for its rate at
    once, at the local HTTPS rate server."""
    own = os.path.join(home, ".runs", str(run))
    return session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(own, "config"),
                       XDG_CACHE_HOME=os.path.join(own, "cache"), LANG="C.UTF-8", **rates)


def folder_panel_env(session, home, run, rates, folder):
    """A first start whose layout holds one folder panel over `folder`."""
    env = first_start_env(session, home, f"folder-{run}", rates)
    layout = os.path.join(env["XDG_CONFIG_HOME"], "brim-vale", "brim-vale", "panels.json")
    os.makedirs(os.path.dirname(layout), exist_ok=True)
    with open(layout, "w") as f:
        json.dump({"folderPanels": [{"id": "folder-1", "name": "Bench", "path": folder}]}, f)
    return env


def first_start_windows(session, binary, env, quiet=2.0, limit=30.0):
    """The windows the program maps at its first start, once none has come for `quiet` seconds."""
    process = subprocess.Popen([binary, "--keep-icons", "--no-tray"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        start = last_change = time.perf_counter()
        windows = {}
        while time.perf_counter() - last_change < quiet and time.perf_counter() - start < limit:
            time.sleep(0.2)
            now = session.windows(process.pid)
            if len(now) != len(windows):
                windows, last_change = now, time.perf_counter()
        return windows
    finally:
        process.terminate()
        process.wait(10)


def main():
    binary = sys.argv[1]
    items = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    pictures = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    folder_items = int(sys.argv[5]) if len(sys.argv) > 5 else 0
    folder_ms, folder_mb = [], []
    floor = os.path.join(os.path.dirname(os.path.abspath(binary)), "..", "bench", "larkspan_bench_floor")
    if not os.path.exists(floor):
        raise SystemExit(f"no floor program at {floor}: build larkspan_bench_floor")
    peer = shutil.which("pcmanfm-qt")
    program, floors, ratios, memory, peers = [], [], [], [], []
    program_cpu, floor_cpu, peer_cpu = [], [], []
    with tempfile.TemporaryDirectory() as home, x11session.Session() as session, \
            rate_server.serve(home) as (_, rates):
        populate(os.path.join(home, "Desktop"), items, pictures)
        if folder_items:
            populate(os.path.join(home, "Folder"), folder_items)
        shown = first_start_windows(session, binary, first_start_env(session, home, "discovery", rates))
        expected = len(shown)
        places = [",".join(map(str, rect)) for rect in shown.values()]
        watcher = MapWatcher(session)
        for run in range(runs):
            floor_ms, used, _ = time_maps(watcher, [floor, "--at", *places], session.env(), expected)
            floors.append(floor_ms)
            floor_cpu.append(used)
            program_ms, used, peak = time_maps(watcher, [binary, "--keep-icons", "--no-tray"],
                                               first_start_env(session, home, run, rates), expected, True)
            program.append(program_ms)
            program_cpu.append(used)
            ratios.append(program_ms / floor_ms)
            memory.append(peak)
            if folder_items:
                with_ms, _, with_peak = time_maps(watcher, [binary, "--keep-icons", "--no-tray"], folder_panel_env(
                    session, home, run, rates, os.path.join(home, "Folder")), expected + 1, True)
                folder_ms.append(with_ms - program_ms)
                folder_mb.append(with_peak - peak)
            if peer:
                peer_ms, used, _ = time_maps(watcher, [peer, "--desktop"], first_start_env(session, home, run, rates), 1)
                peers.append(peer_ms)
                peer_cpu.append(used)
        watcher.close()
    print(f"{items} items ({pictures} pictures), {runs} runs, each run the floor, the program"
          f"{' and the LXQt desktop' if peer else ''} in turn")
    print(f"windows mapped at first start: {expected} ({', '.join(sorted(shown))})")
    print(describe("program, start to its last window mapped", program))
    print(describe(f"floor, start to the same {expected} windows mapped", floors))
    print(f"ratio program / floor: median {statistics.median(ratios):.2f} "
          f"(min {min(ratios):.2f}, max {max(ratios):.2f})")
    print(f"CPU used until mapped: program median {statistics.median(program_cpu):.0f} ms, floor "
          f"{statistics.median(floor_cpu):.0f} ms, ratio {statistics.median(program_cpu) / statistics.median(floor_cpu):.2f}")
    if peers:
        print(describe("LXQt desktop (pcmanfm-qt --desktop), start to its window mapped", peers))
        print(f"ratio program / LXQt desktop: {statistics.median(program) / statistics.median(peers):.2f}; CPU used "
              f"until mapped {statistics.median(peer_cpu):.0f} ms")
    print(f"program peak RSS: median {statistics.median(memory):.1f} MB (max {max(memory):.1f})")
    if folder_items:
        print(f"a folder panel of {folder_items} items adds: to the last window mapped median "
              f"{statistics.median(folder_ms):.0f} ms (max {max(folder_ms):.0f}), to the peak RSS median "
              f"{statistics.median(folder_mb):.1f} MB (max {max(folder_mb):.1f})")


if __name__ == "__main__":
    main()
