#!/usr/bin/env python3
"""What the program costs while nothing happens: it is started on a generated
desktop under Xvfb (openbox, xcompmgr), left to settle with the pointer resting
over a panel, and then watched for a while. CPU time comes from
/proc/<pid>/stat, wake-ups from the voluntary context switches of each thread
(/proc/<pid>/task/*/status: every return from poll() is one).

Usage: bench/bench_idle.py [--seconds 60] [--items 2000] build/src/larkspan [another build's larkspan ...]
Several programs are measured one after the other in the same session."""

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

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def wakeups(pid):
    """Voluntary context switches per thread name."""
    counts = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as f:
                name = f.read().strip()
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        counts[name] = counts.get(name, 0) + int(line.split()[1])
        except OSError:
            pass
    return counts


def measure(binary, env, session, seconds):
    app = subprocess.Popen([binary, "--keep-icons", "--no-tray"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    try:
        time.sleep(6)  # panels, icons and thumbnails settle
        # The pointer comes to rest in the middle of the screen, over a panel.
        width, height = session.size
        subprocess.run(["xdotool", "mousemove", str(width // 2), str(height // 2)], env=env, check=False)
        time.sleep(2)
        cpu0, wake0, t0 = cpu_seconds(app.pid), wakeups(app.pid), time.perf_counter()
        time.sleep(seconds)
        cpu1, wake1, t1 = cpu_seconds(app.pid), wakeups(app.pid), time.perf_counter()
    finally:
        app.terminate()
        app.wait(10)
    elapsed = t1 - t0
    per_thread = {name: (wake1.get(name, 0) - wake0.get(name, 0)) / elapsed for name in wake1}
    return (cpu1 - cpu0) / elapsed * 100, per_thread


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--items", type=int, default=2000)
    parser.add_argument("binaries", nargs="+")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as home, x11session.Session() as session, \
            rate_server.serve(home) as (_, rates):
        bench_startup.populate(os.path.join(home, "Desktop"), args.items)
        env = session.env(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                          LANG="C.UTF-8", **rates)
        for binary in args.binaries:
            cpu, per_thread = measure(binary, env, session, args.seconds)
            total = sum(per_thread.values())
            threads = ", ".join(f"{name} {rate:.2f}" for name, rate in sorted(per_thread.items()) if rate > 0)
            print(f"{binary}: {args.items} items, idle {args.seconds:.0f} s: CPU {cpu:.2f} %, "
                  f"wake-ups {total:.2f}/s ({threads or 'none'})")


if __name__ == "__main__":
    main()
