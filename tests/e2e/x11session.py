"""A throw-away X session for end-to-end tests: Xvfb, a window manager and a
compositor, a throw-away home, the organiser, and helpers that read what a
user would see. Every script: <script> <larkspan binary> <artefact folder> [argument]."""

import contextlib
import ctypes
import ctypes.util
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# A benchmark that borrows the session passes arguments of its own, or none.
BINARY, ARTEFACTS = (sys.argv[1:3] + [None, None])[:2]
XFCONFD = "/usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd"
# CI installs everything (scripts/setup.sh) and must not pass a test that could
# not run: there, or with LARKSPAN_REQUIRE_E2E=1, a skip is a failure (77 is CTest's skip).
SKIP = 1 if os.environ.get("LARKSPAN_REQUIRE_E2E") == "1" or os.environ.get("CI") == "true" else 77
REQUIRED = ["Xvfb", "openbox", "xcompmgr", "xdotool", "import", "convert", "dbus-daemon"]
# A session bus with no service folders: nothing installed on the machine is
# activated for the program under test.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:dir={dir}</listen><auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
    <allow own="*"/></policy></busconfig>
"""

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)
    return condition


def wait_until(predicate, timeout=10):
    """The predicate's first true value within the time, else its last value."""
    deadline = time.time() + timeout
    while True:
        try:
            value = predicate()
        except KeyError:  # a window went away while it was being looked at
            value = None
        if value or time.time() > deadline:
            return value
        time.sleep(0.1)


def finish():
    """Ends the script: 0 when every check held."""
    print(f"{len(failures)} failure(s)")
    sys.exit(1 if failures else 0)


def run_test(*bodies, tools=(), window_manager=True, sizes=((1920, 1080),)):
    """Runs each body(session, root) in a fresh session and home, once per screen
    size, and ends the script.
    window_manager False: the test starts its own, after the services it needs."""
    missing = [tool for tool in REQUIRED + list(tools) if shutil.which(tool) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(SKIP)
    os.makedirs(ARTEFACTS, exist_ok=True)
    for size in sizes:
        for body in bodies:
            # The home outlives the session, so that the desktop has ended before its files go.
            with tempfile.TemporaryDirectory() as root, Session(window_manager, size) as session:
                body(session, root)
    finish()


class Session:
    """Xvfb and a session bus, and openbox and xcompmgr unless the test starts its own."""

    def __init__(self, window_manager=True, size=(1920, 1080)):
        self.window_manager, self.size, self.processes = window_manager, size, []
        self.number = next(n for n in range(90, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}")
                           and not os.path.exists(f"/tmp/.X{n}-lock"))
        self.display = f":{self.number}"
        # Temporary and runtime files, and the session bus, of this session alone.
        self.private = tempfile.TemporaryDirectory(prefix="larkspan-e2e-")
        self.runtime, self.bus_address = os.path.join(self.private.name, "run"), None
        for name in ("tmp", "run"):
            os.makedirs(os.path.join(self.private.name, name), mode=0o700)

    def __enter__(self):
        try:
            config = Path(self.private.name, "bus.conf")
            config.write_text(BUS_CONFIG.format(dir=self.runtime))
            bus = self.spawn(["dbus-daemon", f"--config-file={config}", "--nofork", "--print-address=1"],
                             stdout=subprocess.PIPE)
            self.bus_address = bus.stdout.readline().decode().strip()
            self.spawn(["Xvfb", self.display, "-screen", "0", "%dx%dx24" % self.size, "-nolisten", "tcp"])
            if not self.bus_address or not wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{self.number}")):
                raise RuntimeError("dbus-daemon or Xvfb did not start")
            if self.window_manager:
                self.spawn(["openbox"])
                self.spawn(["xcompmgr"])
                time.sleep(0.5)
            return self
        except BaseException:
            self.__exit__()
            raise

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
        self.private.cleanup()

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.display, TMPDIR=os.path.join(self.private.name, "tmp"),
                   XDG_RUNTIME_DIR=self.runtime, DBUS_SESSION_BUS_ADDRESS=self.bus_address or "", **extra)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("QT_QPA_PLATFORM", None)
        return env

    def spawn(self, argv, stdout=subprocess.DEVNULL, env=None, stderr=subprocess.DEVNULL):
        """Starts a process of the session; it ends with the session at the latest."""
        self.processes.append(subprocess.Popen(argv, env=env or self.env(), stdout=stdout, stderr=stderr))
        return self.processes[-1]

    def run(self, *argv):
        return subprocess.run(argv, env=self.env(), capture_output=True, text=True, timeout=30)

    def scan(self, pid):
        """{title: (window id, (x, y, width, height))} of the visible windows of a process."""
        # --all: the process's windows that have a name, not windows of either kind. One
        # xdotool names them all, then gives their geometry, each window a WINDOW= block.
        out = self.run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", ".",
                       "getwindowname", "%@", "getwindowgeometry", "--shell", "%@").stdout.splitlines()
        count = sum(line.startswith("WINDOW=") for line in out)
        blocks = []
        for key, _, value in (line.partition("=") for line in out[count:]):
            if key == "WINDOW":
                blocks.append({})
            blocks[-1][key] = int(value)
        if len(blocks) != count or not all(len(b) == 6 for b in blocks):
            return {}  # a window went away meanwhile; the next look is whole again
        return {name: (b["WINDOW"], (b["X"], b["Y"], b["WIDTH"], b["HEIGHT"])) for name, b in zip(out, blocks)}

    def window_ids(self, pid):
        return {title: wid for title, (wid, _) in self.scan(pid).items()}

    def windows(self, pid):
        return {title: rect for title, (_, rect) in self.scan(pid).items()}

    def geometry(self, wid):
        out = self.run("xdotool", "getwindowgeometry", "--shell", str(wid)).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def pids(self, name):
        """Processes of that name on this session's display, whoever started them."""
        found = []
        for entry in Path("/proc").iterdir():
            try:
                if entry.name.isdigit() and (entry / "comm").read_text().strip() == name and \
                        f"DISPLAY={self.display}\0".encode() in (entry / "environ").read_bytes():
                    found.append(int(entry.name))
            except OSError:
                pass
        return found

    def xterm(self, geometry, title, env=None):
        """An xterm's window, once it shows."""
        self.spawn(["xterm", "-geometry", geometry, "-title", title], env=env)
        found = wait_until(lambda: self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$")
                           .stdout.split(), 15)
        if not found:
            raise RuntimeError(f"the xterm {title} did not show")
        return int(found[0])

    def start_window_manager(self, program, env=None):
        """Whether it took over the screen within the time."""
        self.spawn([program], env=env)
        return wait_until(lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout, 15)

    def click(self, x, y, button=1):
        self.run("xdotool", "mousemove", str(x), str(y), "click", str(button))
        time.sleep(0.3)

    def open_menu(self, x, y):
        self.click(x, y, 3)
        time.sleep(0.3)  # until the menu is painted

    def drag(self, start, end, steps=10, held=lambda: None):
        """held(): what happens at the end, before the button is let go."""
        self.run("xdotool", "mousemove", str(start[0]), str(start[1]), "mousedown", "1")
        for i in range(1, steps + 1):
            self.run("xdotool", "mousemove", str(start[0] + (end[0] - start[0]) * i // steps),
                     str(start[1] + (end[1] - start[1]) * i // steps))
            time.sleep(0.03)
        held()
        self.run("xdotool", "mouseup", "1")
        time.sleep(0.3)

    def screenshot(self, name):
        path = os.path.join(ARTEFACTS, name)
        self.run("import", "-window", "root", path)
        return path


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def bare_point(rects, size, margin):
    """A point of bare desktop at least margin away from every rectangle, or None."""
    return next(((x, y) for y in range(size[1] - 200, 150, -40) for x in range(150, size[0] - 200, 40)
                 if not any(r[0] - margin <= x < r[0] + r[2] + margin and r[1] - margin <= y < r[1] + r[3] + margin
                            for r in rects)), None)


def bright_fraction(shot, rect, threshold="60%"):
    """Share of pixels lighter than the threshold (text, icons) inside a rectangle of a screenshot."""
    x, y, w, h = rect
    out = subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "-colorspace", "Gray", "-threshold",
                          threshold, "-format", "%[fx:mean]", "info:"], capture_output=True, text=True, timeout=30)
    return float(out.stdout.strip() or 0)


class Home:
    """A throw-away home: desktop items (a name ending in / is a folder), the
    program's settings and stored layout, and optionally an Xfce desktop on the
    session's bus. bus False: the program gets no session bus at all."""

    def __init__(self, session, root, items=(), settings=None, bus=True):
        self.session, self.path, self.bus = session, root, bus
        self.desktop = os.path.join(root, "Desktop")
        self.config = os.path.join(root, ".config", "brim-vale")
        self.settings_path = Path(self.config, "brim-vale.conf")
        self.layout_path = Path(self.config, "brim-vale", "panels.json")
        os.makedirs(self.desktop)
        os.makedirs(self.layout_path.parent)
        for name in items:
            os.makedirs(self.item(name)) if name.endswith("/") else Path(self.item(name)).write_text("x")
        if settings is not None:
            self.write_settings(settings)

    def item(self, name):
        return os.path.join(self.desktop, name.rstrip("/"))

    def settings(self):
        return self.settings_path.read_text() if self.settings_path.exists() else ""

    def write_settings(self, text):
        self.settings_path.write_text(text)

    def layout(self):
        return json.loads(self.layout_path.read_text()) if self.layout_path.exists() else {}

    def write_layout(self, layout):
        self.layout_path.write_text(json.dumps(layout))

    def env(self, **extra):
        """The session's variables for this home, with extra ones; None removes one."""
        env = self.session.env(HOME=self.path, XDG_CONFIG_HOME=os.path.join(self.path, ".config"),
                               XDG_DATA_HOME=os.path.join(self.path, ".local", "share"),
                               XDG_CACHE_HOME=os.path.join(self.path, ".cache"), LANG="C.UTF-8", LANGUAGE="")
        env.update(extra, **({} if self.bus else {"DBUS_SESSION_BUS_ADDRESS": None}))
        return {name: value for name, value in env.items() if value is not None}

    def start(self, *options, log=False, **env):
        """log True: standard error goes to a file of the home, which log() of the result reads."""
        path = Path(self.path, "stderr.txt")
        with open(path, "w") if log else contextlib.nullcontext(subprocess.DEVNULL) as stderr:
            process = self.session.spawn([BINARY, *options], env=self.env(**env), stderr=stderr)
        return Organiser(self.session, process, path)

    def start_xfce(self, window_manager=None, compositor=False):
        """xfconfd, then the window manager (xfwm4 reads its settings from
        xfconf), a compositor, and xfdesktop."""
        self.session.spawn([XFCONFD], env=self.env())
        self.wait_for_name("org.xfce.Xfconf")
        if window_manager and not self.session.start_window_manager(window_manager, self.env()):
            raise RuntimeError("the window manager did not start")
        if compositor:
            self.session.spawn(["xcompmgr"], env=self.env())
        self.session.spawn(["xfdesktop", "--disable-wm-check"], env=self.env())
        self.wait_for_name("org.xfce.xfdesktop")

    def has_name(self, name):
        return "boolean true" in self.session.run(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus.NameHasOwner", f"string:{name}").stdout

    def wait_for_name(self, name):
        if not wait_until(lambda: self.has_name(name), 15):
            raise RuntimeError(f"{name} did not appear on the bus")

    STYLE = ["xfconf-query", "-c", "xfce4-desktop", "-p", "/desktop-icons/style"]

    def style(self):
        """xfdesktop's icon style as text, or None when the property is absent."""
        out = self.session.run(*self.STYLE)
        return out.stdout.strip() if out.returncode == 0 else None

    def set_style(self, value):
        self.session.run(*self.STYLE, *(["-r"] if value is None else ["-n", "-t", "int", "-s", str(value)]))

    def wait_style(self, expected):
        return wait_until(lambda: self.style() == expected)


class Organiser:
    def __init__(self, session, process, log_path=None):
        self.session, self.process, self.pid, self.log_path = session, process, process.pid, log_path

    def log(self):
        return self.log_path.read_text(encoding="utf-8", errors="replace")

    def windows(self):
        return self.session.windows(self.pid)

    def wait_for(self, titles, timeout=15):
        if wait_until(lambda: all(title in self.windows() for title in titles), timeout):
            time.sleep(0.3)  # let the arrangement settle
        return self.windows()

    def settled(self, titles, timeout=20):
        """The windows once they stop moving, with every title among them."""
        previous = None

        def still():
            nonlocal previous
            now = self.windows()
            same = now == previous and all(t in now for t in titles)
            previous = now
            return same and now
        return wait_until(still, timeout) or self.windows()

    def close_window(self, title):
        """As a close button does: WM_DELETE_WINDOW to the window itself. Panels
        are docks, which a window manager neither decorates nor closes."""
        wid = self.session.window_ids(self.pid).get(title)
        if wid:
            send_delete_window(self.session.display, wid)
        return wid is not None

    def quit_from_menu(self):
        """"Quit", the last entry of a panel's menu (opened below the title band); the exit code."""
        x, y, w, h = self.wait_for(["Documents"]).get("Documents", (0, 0, 0, 0))
        self.session.open_menu(x + w // 2, y + h - 20)
        self.session.run("xdotool", "key", "Up", "Return")
        return self.ended()

    def kill(self, once=lambda: True):
        """SIGKILL, no sooner than once() holds (for half a minute at most)."""
        wait_until(once, 30)
        self.process.kill()
        self.process.wait(10)

    def ended(self, timeout=15):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self, sig=signal.SIGTERM):
        """Sends a signal, on which the organiser must end in order, with 0."""
        self.process.send_signal(sig)
        code = self.ended()
        if code is None:
            self.process.kill()
            self.process.wait()
        check(code == 0, f"{signal.Signals(sig).name} ends the organiser with 0")
        return code


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def send_delete_window(display_name, window):
    """Sends the WM_DELETE_WINDOW client message a window manager sends."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype, xlib.XOpenDisplay.argtypes = ctypes.c_void_p, [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    xlib.XFlush.argtypes = xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(display_name.encode())
    if not display:
        return
    event = _ClientMessage(type=33, window=window, format=32,  # 33: ClientMessage
                           message_type=xlib.XInternAtom(display, b"WM_PROTOCOLS", False))
    event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", False)  # data[1] 0: CurrentTime
    xlib.XSendEvent(display, window, False, 0, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)
