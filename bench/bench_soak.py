#!/usr/bin/env python3
"""The whole program under half an hour of churn: it runs under Xvfb (openbox,
xcompmgr) on a generated desktop while, every second, a file is created, one is
renamed, a picture is rewritten in place and a file is deleted, the way a
downloads-heavy desktop changes. The resident set (VmRSS) is sampled every 10 s;
what counts is its growth after the warm-up (5 minutes; 30 s in quick mode),
when the icon caches have filled.

Usage: bench/bench_soak.py [--minutes 30] [--quick] [--items 10000] [--pictures 300]
                           [--heaptrack] build/src/larkspan
--quick runs 2 minutes. --heaptrack runs the program under heaptrack and names
the recording, to see what is kept."""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import bench_startup  # noqa: E402
import rate_server  # noqa: E402
import x11session  # noqa: E402

SAMPLE_SECONDS = 10


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def program_pid(launcher, binary):
    """The program's own process: heaptrack starts it as its child."""
    name = os.path.basename(binary)[:15]
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        for pid in [launcher.pid] + children(launcher.pid):
            try:
                with open(f"/proc/{pid}/comm") as f:
                    if f.read().strip() == name:
                        return pid
            except OSError:
                pass
        time.sleep(0.2)
    raise SystemExit(f"{binary} did not start")


def children(pid):
    found = []
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/children") as f:
                for child in f.read().split():
                    found += [int(child)] + children(int(child))
        except OSError:
            pass
    return found


class Churn:
    """One step a second: create, rename, rewrite a picture, delete."""

    def __init__(self, desktop, pictures):
        self.desktop = desktop
        self.pictures = [os.path.join(desktop, n) for n in sorted(os.listdir(desktop)) if n.endswith(".png")]
        self.pictures = self.pictures[:pictures]
        self.step = 0

    def __call__(self):
        step, desktop = self.step, self.desktop
        self.step += 1
        new = os.path.join(desktop, f"Download {step}.png")
        bench_startup.write_png(new, 64, 48, step)
        if step >= 1:
            os.rename(os.path.join(desktop, f"Download {step - 1}.png"), os.path.join(desktop, f"Kept {step - 1}.png"))
        if step >= 3:
            os.remove(os.path.join(desktop, f"Kept {step - 3}.png"))
        if self.pictures:
            bench_startup.write_png(self.pictures[step % len(self.pictures)], 64, 48, step + 7)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--minutes", type=float, default=30)
    parser.add_argument("--quick", action="store_true", help="2 minutes, 30 s warm-up")
    parser.add_argument("--items", type=int, default=10000)
    parser.add_argument("--pictures", type=int, default=300)
    parser.add_argument("--heaptrack", action="store_true")
    parser.add_argument("binary")
    args = parser.parse_args()
    minutes, warmup = (2, 30) if args.quick else (args.minutes, 300)
    with tempfile.TemporaryDirectory() as home, x11session.Session() as session, \
            rate_server.serve(home) as (_, rates):
        desktop = os.path.join(home, "Desktop")
        bench_startup.populate(desktop, args.items)
        for i in range(args.pictures):
            bench_startup.write_png(os.path.join(desktop, f"Picture {i}.png"), 64, 48, i)
        env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                          XDG_CACHE_HOME=os.path.join(home, ".cache"), LANG="C.UTF-8", **rates)
        argv = [args.binary, "--keep-icons", "--no-tray"]
        record = os.path.abspath(f"soak.heaptrack.{os.getpid()}")
        if args.heaptrack:
            argv = ["heaptrack", "-o", record] + argv
        launcher = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pid = program_pid(launcher, args.binary)
        churn = Churn(desktop, args.pictures)
        samples = []
        try:
            start = time.monotonic()
            next_sample = start + SAMPLE_SECONDS
            while time.monotonic() - start < minutes * 60:
                churn()
                if time.monotonic() >= next_sample:
                    samples.append((time.monotonic() - start, rss_mb(pid)))
                    print(f"{samples[-1][0]:6.0f} s  {samples[-1][1]:7.1f} MB", flush=True)
                    next_sample += SAMPLE_SECONDS
                time.sleep(max(0.0, 1.0 - (time.monotonic() - start) % 1.0))
        finally:
            launcher.terminate()
            launcher.wait(60)
    after = [mb for t, mb in samples if t >= warmup]
    if not after:
        raise SystemExit("the run ended before the warm-up did")
    # The resident set breathes by a few MB as the allocator hands pages back:
    # compare the mean of the first and of the last three samples.
    first, last = sum(after[:3]) / len(after[:3]), sum(after[-3:]) / len(after[-3:])
    growth = (last - first) / first * 100
    print(f"{args.items} items, {args.pictures} pictures, {minutes:g} min of churn ({churn.step} steps): "
          f"resident {samples[0][1]:.1f} MB at {samples[0][0]:.0f} s, {first:.1f} MB after the "
          f"{warmup} s warm-up, {last:.1f} MB at the end (means of three samples), max {max(after):.1f} MB: "
          f"growth after the warm-up {growth:+.1f} % (target at most +5 %)")
    if args.heaptrack:
        print(f"heaptrack recording: {record}.*")


if __name__ == "__main__":
    main()
