"""A throw-away X session for end-to-end tests: Xvfb, a window manager and a
compositor, plus helpers that read what a user would see."""

import os
import shutil
import subprocess
import tempfile
import time


def _required():
    """CI installs everything (scripts/setup.sh) and must not pass a test that
    could not run: there, or with LARKSPAN_REQUIRE_E2E=1, a skip is a failure."""
    return os.environ.get("LARKSPAN_REQUIRE_E2E") == "1" or os.environ.get("CI") == "true"


SKIP = 1 if _required() else 77  # 77 is CTest's skip code

# A session bus with no service folders: nothing installed on the machine is
# activated for the program under test.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={dir}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

REQUIRED = ["Xvfb", "openbox", "xcompmgr", "xdotool", "import", "convert", "dbus-daemon"]


def missing_tools():
    return [tool for tool in REQUIRED if shutil.which(tool) is None]


def free_display():
    for number in range(90, 200):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
            return number
    raise RuntimeError("no free X display number")


class Session:
    def __init__(self, width=1920, height=1080, window_manager=True):
        """window_manager False: the test starts its own (after services it needs)."""
        self.window_manager = window_manager
        self.number = free_display()
        self.display = f":{self.number}"
        self.size = (width, height)
        self.processes = []
        self.private = None
        self.bus_address = None

    def __enter__(self):
        try:
            return self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def _start(self):
        # Temporary and runtime files, and the session bus, of this session alone.
        self.private = tempfile.TemporaryDirectory(prefix="larkspan-e2e-")
        for name in ("tmp", "run"):
            os.makedirs(os.path.join(self.private.name, name), mode=0o700)
        config = os.path.join(self.private.name, "bus.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG.format(dir=os.path.join(self.private.name, "run")))
        bus = self._spawn(["dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE)
        self.bus_address = bus.stdout.readline().decode().strip()
        if not self.bus_address:
            raise RuntimeError("dbus-daemon did not start")
        self._spawn(["Xvfb", self.display, "-screen", "0", f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp"])
        deadline = time.time() + 10
        while not os.path.exists(f"/tmp/.X11-unix/X{self.number}"):
            if time.time() > deadline:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        if self.window_manager:
            self._spawn(["openbox"])
            self._spawn(["xcompmgr"])
            time.sleep(0.5)
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            if process.stdout:
                process.stdout.close()
        self.processes = []
        if self.private:
            self.private.cleanup()
            self.private = None

    def env(self, **extra):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("QT_QPA_PLATFORM", None)
        if self.private:
            env["TMPDIR"] = os.path.join(self.private.name, "tmp")
            env["XDG_RUNTIME_DIR"] = os.path.join(self.private.name, "run")
        if self.bus_address:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        env.update(extra)
        return env

    def _spawn(self, argv, stdout=subprocess.DEVNULL, env=None):
        """Starts a process of the session; it ends with the session."""
        process = subprocess.Popen(argv, env=env or self.env(), stdout=stdout, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def run(self, *argv):
        return subprocess.run(argv, env=self.env(), capture_output=True, text=True, timeout=30)

    def windows(self, pid):
        """{title: (x, y, width, height)} of the visible windows of a process."""
        # --all: the process's windows that have a name, not windows of either kind.
        found = self.run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", ".")
        result = {}
        for wid in found.stdout.split():
            name = self.run("xdotool", "getwindowname", wid).stdout.strip()
            geometry = self.run("xdotool", "getwindowgeometry", "--shell", wid).stdout
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            result[name] = (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))
        return result

    def wait_for_windows(self, pid, titles, timeout=15):
        deadline = time.time() + timeout
        while True:
            current = self.windows(pid)
            if all(title in current for title in titles):
                time.sleep(0.3)  # let the arrangement settle
                return self.windows(pid)
            if time.time() > deadline:
                return current
            time.sleep(0.1)

    def drag(self, start, end, steps=10):
        self.run("xdotool", "mousemove", str(start[0]), str(start[1]))
        self.run("xdotool", "mousedown", "1")
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.run("xdotool", "mousemove", str(x), str(y))
            time.sleep(0.03)
        self.run("xdotool", "mouseup", "1")
        time.sleep(0.3)

    def screenshot(self, path):
        self.run("import", "-window", "root", path)

    def bright_fraction(self, shot, rect):
        """Share of light pixels (text, icons) inside a rectangle of a screenshot."""
        x, y, w, h = rect
        out = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-colorspace", "Gray",
                              "-threshold", "60%", "-format", "%[fx:mean]", "info:"],
                             capture_output=True, text=True, timeout=30)
        return float(out.stdout.strip() or 0)
