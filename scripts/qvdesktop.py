"""A private desktop for running Quorvia Browser: X server, session bus with a
notification daemon, window manager, tray host, the test console, and a
throwaway settings folder. Used by the demo script and the integration tests;
run as a script it puts a command on such a desktop:

    python3 qvdesktop.py [--no-tray] [--system-bus] [--env NAME=VALUE]... -- COMMAND [ARG...]

The command sees DISPLAY and DBUS_SESSION_BUS_ADDRESS (and with --system-bus
DBUS_SYSTEM_BUS_ADDRESS, a private bus where anyone may own any name), and
QV_TRAY_HOST_PID, the tray host's process; its exit status is the script's.
"""

import argparse
import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

# The program's fixed password seed and its 15-bit generator; the settings
# store keeps the password in this scrambled form.
PASSWORD_SEED = 0x2F6B1C47
SETTINGS_KEY = r"HKCU\software\Belmar\quorvia"


def scramble(password: str) -> str:
    state = PASSWORD_SEED
    out = []
    for byte in password.encode("utf-8"):
        state = (state * 214013 + 2531011) & 0xFFFFFFFF
        r = (state >> 16) & 0x7FFF
        c = byte - 256 if byte >= 0x80 else byte
        out.append("%04x" % ((r ^ c) & 0xFFFF))
    return "".join(out)


SYSTEM_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


def wait_until(condition, timeout, step=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return None


class Desktop:
    """Starts what the program needs around it; stop() ends it all."""

    def __init__(self, build_dir, workdir=None):
        self.build = os.path.abspath(build_dir)
        self.workdir = workdir or tempfile.mkdtemp(prefix="quorvia-desktop-")
        self.env = dict(os.environ)
        self.procs = []
        self.console_url = None
        self.console_proc = None

    # --- the desktop -------------------------------------------------------

    def _spawn(self, argv, **kwargs):
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        kwargs.setdefault("stderr", subprocess.DEVNULL)
        proc = subprocess.Popen(argv, env=self.env, start_new_session=True, **kwargs)
        self.procs.append(proc)
        return proc

    def start_x(self, size="1280x1024x24"):
        read_fd, write_fd = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size,
                     "-nolisten", "tcp"], pass_fds=(write_fd,))
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display

    def start_session_bus(self):
        proc = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address"],
                           stdout=subprocess.PIPE, text=True)
        address = proc.stdout.readline().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_daemon(self, argv, ready, what):
        """Starts a daemon and waits until ready() holds; one that ends on
        its own before that (seen when many desktops start at once) is
        started again. Generous deadlines: the machine may be busy."""
        log = os.path.join(self.workdir, os.path.basename(argv[0]) + ".log")
        for _ in range(3):
            with open(log, "ab") as out:
                proc = self._spawn(argv, stdout=out, stderr=out)
            if wait_until(lambda: proc.poll() is not None or ready(), 30) and proc.poll() is None:
                return
            if proc.poll() is None:
                break
        with open(log, errors="replace") as f:
            raise RuntimeError("%s (%s)" % (what, f.read()[-500:].strip()))

    def start_window_manager(self):
        self._start_daemon(["openbox", "--sm-disable"], lambda: self._run_ok(["wmctrl", "-m"]),
                           "openbox did not take the screen")

    def start_notification_daemon(self):
        # Asks the bus who owns the name rather than calling the service: a
        # call would have the bus start a second dunst of its own, which wins
        # the name from ours when the machine is busy.
        def owned():
            out = subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.freedesktop.Notifications"],
                env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            return out.returncode == 0 and "boolean true" in out.stdout
        self._start_daemon(["dunst"], owned, "dunst did not reach the bus")

    def start_system_bus(self):
        """A private system bus where anyone may own any name (logind's too)."""
        config = os.path.join(self.workdir, "system-bus.conf")
        with open(config, "w") as f:
            f.write(SYSTEM_BUS_CONFIG % self.workdir)
        proc = self._spawn(["dbus-daemon", "--config-file=" + config, "--nofork",
                            "--print-address"], stdout=subprocess.PIPE, text=True)
        address = proc.stdout.readline().strip()
        if not address:
            raise RuntimeError("the system bus did not start")
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = address

    def start_tray_host(self):
        # At the bottom, so an icon's position is never the screen's edge.
        self.tray = self._spawn(["trayer", "--edge", "bottom", "--align", "right",
                                 "--widthtype", "request", "--height", "24",
                                 "--SetDockType", "true"])
        self.env["QV_TRAY_HOST_PID"] = str(self.tray.pid)
        if not wait_until(self.tray_host_ready, 10):
            raise RuntimeError("trayer did not take the notification area")

    def tray_host_ready(self):
        """Whether a tray host owns the notification area's selection."""
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(self.env["DISPLAY"].encode())
        if not display:
            return False
        try:
            atom = x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0)
            return x11.XGetSelectionOwner(display, atom) != 0
        finally:
            x11.XCloseDisplay(display)

    def start_wayland(self, socket="wayland-qv"):
        """A headless Wayland compositor beside the X server, as a Wayland
        session that also has XWayland offers both."""
        runtime = self.runtime_dir()
        self._spawn(["weston", "--backend=headless-backend.so", "--socket=" + socket,
                     "--idle-time=0"])
        if not wait_until(lambda: os.path.exists(os.path.join(runtime, socket)), 10):
            raise RuntimeError("weston did not start")
        self.env["WAYLAND_DISPLAY"] = socket

    def runtime_dir(self):
        """The session's runtime folder: the desktop's own, else one in the
        work folder (Qt would make one in /tmp and leave it behind)."""
        if not self.env.get("XDG_RUNTIME_DIR"):
            runtime = os.path.join(self.workdir, "runtime")
            os.makedirs(runtime, mode=0o700, exist_ok=True)
            self.env["XDG_RUNTIME_DIR"] = runtime
        return self.env["XDG_RUNTIME_DIR"]

    def start_full_desktop(self, tray=True, system_bus=False):
        self.runtime_dir()
        if not self.env.get("DISPLAY"):
            self.start_x()
        self.start_session_bus()
        if system_bus:
            self.start_system_bus()
        self.start_window_manager()
        self.start_notification_daemon()
        if tray:
            self.start_tray_host()

    def set_monitors(self, monitors):
        """Splits the X screen into monitors as RandR 1.5 lays them out, the
        first one primary: a list of (x, y, width, height). Xvfb forgets them
        when its last client leaves, so call this once the desktop runs."""
        x11 = ctypes.CDLL("libX11.so.6")
        randr = ctypes.CDLL("libXrandr.so.2")
        xid = ctypes.c_ulong

        class Monitor(ctypes.Structure):
            _fields_ = [("name", ctypes.c_ulong), ("primary", ctypes.c_int),
                        ("automatic", ctypes.c_int), ("noutput", ctypes.c_int),
                        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                        ("height", ctypes.c_int), ("mwidth", ctypes.c_int),
                        ("mheight", ctypes.c_int), ("outputs", ctypes.POINTER(xid))]

        class Resources(ctypes.Structure):
            _fields_ = [("timestamp", ctypes.c_ulong), ("configTimestamp", ctypes.c_ulong),
                        ("ncrtc", ctypes.c_int), ("crtcs", ctypes.POINTER(xid)),
                        ("noutput", ctypes.c_int), ("outputs", ctypes.POINTER(xid))]

        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = xid
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        randr.XRRAllocateMonitor.restype = ctypes.POINTER(Monitor)
        randr.XRRAllocateMonitor.argtypes = [ctypes.c_void_p, ctypes.c_int]
        randr.XRRSetMonitor.argtypes = [ctypes.c_void_p, xid, ctypes.POINTER(Monitor)]
        randr.XRRGetScreenResourcesCurrent.restype = ctypes.POINTER(Resources)
        randr.XRRGetScreenResourcesCurrent.argtypes = [ctypes.c_void_p, xid]
        display = x11.XOpenDisplay(self.env["DISPLAY"].encode())
        if not display:
            raise RuntimeError("cannot open %s" % self.env["DISPLAY"])
        try:
            root = x11.XDefaultRootWindow(display)
            output = randr.XRRGetScreenResourcesCurrent(display, root).contents.outputs[0]
            for index, (x, y, width, height) in enumerate(monitors):
                # The screen's one output goes with the primary; the rest have none.
                monitor = randr.XRRAllocateMonitor(display, 1 if index == 0 else 0).contents
                monitor.name = x11.XInternAtom(display, b"QV-%d" % index, 0)
                monitor.primary = int(index == 0)
                monitor.x, monitor.y, monitor.width, monitor.height = x, y, width, height
                monitor.mwidth, monitor.mheight = width * 254 // 960, height * 254 // 960
                if index == 0:
                    monitor.outputs[0] = output
                randr.XRRSetMonitor(display, root, ctypes.byref(monitor))
            x11.XSync(display, 0)
        finally:
            x11.XCloseDisplay(display)

    def _run_ok(self, argv):
        return subprocess.run(argv, env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    # --- the console -------------------------------------------------------

    def start_console(self, users=("demo:demo",), extra=()):
        argv = [os.path.join(self.build, "testconsole", "quorvia-console"),
                "--listen", "127.0.0.1:0", "--quiet"]
        for user in users:
            argv += ["--user", user]
        argv += list(extra)
        self.console_proc = self._spawn(argv, stdout=subprocess.PIPE, text=True)
        line = self.console_proc.stdout.readline()
        match = re.search(r"http://([^/]+)/", line)
        if not match:
            raise RuntimeError("console did not start: %r" % line)
        self.console_address = match.group(1)
        self.console_url = "http://%s/" % self.console_address
        return self.console_address

    def sim(self, path, method="POST"):
        request = urllib.request.Request(self.console_url + path.lstrip("/"), method=method)
        with urllib.request.urlopen(request, timeout=10) as answer:
            import json
            return json.loads(answer.read().decode())

    def console_state(self):
        return self.sim("sim/state", method="GET")

    # --- settings and the program -------------------------------------------

    def seed_settings(self, address, user, password, **ints):
        config = os.path.join(self.workdir, "config")
        os.makedirs(config, exist_ok=True)
        self.env["XDG_CONFIG_HOME"] = config
        self.env["XDG_DATA_HOME"] = os.path.join(self.workdir, "data")
        self.reg("add", SETTINGS_KEY, "/v", "Adrs", "/t", "REG_SZ", "/d", address, "/f")
        self.reg("add", SETTINGS_KEY, "/v", "User", "/t", "REG_SZ", "/d", user, "/f")
        self.reg("add", SETTINGS_KEY, "/v", "Pass", "/t", "REG_SZ", "/d", scramble(password), "/f")
        for name, value in ints.items():
            self.reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")

    def reg(self, *args):
        tool = os.path.join(self.build, "bin", "quorvia-reg")
        return subprocess.run([tool] + list(args), env=self.env, check=True,
                              capture_output=True, text=True).stdout

    def read_setting(self, name):
        out = subprocess.run([os.path.join(self.build, "bin", "quorvia-reg"),
                              "query", SETTINGS_KEY, "/v", name], env=self.env,
                             capture_output=True, text=True).stdout
        match = re.search(r"%s\s+REG_\w+\s+(\S*)" % re.escape(name), out)
        if not match:
            return None
        value = match.group(1)
        return int(value, 16) if value.startswith("0x") else value

    def program_env(self):
        env = dict(self.env)
        env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS",
                       "--disable-gpu --disable-background-networking --disable-component-update "
                       "--no-first-run --disable-sync")
        env.setdefault("QT_LOGGING_RULES", "qt.webenginecontext=false")
        # What the program does, for waits on its steps (and a failure's log).
        env.setdefault("QUORVIA_DEBUG", "console,shell")
        return env

    def start_program(self, *args, env=None):
        """env: variables to set for the program only, None to unset one."""
        argv = [os.path.join(self.build, "bin", "quorvia")] + list(args)
        environment = self.program_env()
        for name, value in (env or {}).items():
            if value is None:
                environment.pop(name, None)
            else:
                environment[name] = value
        self.log_path = os.path.join(self.workdir, "quorvia.log")
        log = open(self.log_path, "ab")
        self.log_start = log.tell()
        proc = subprocess.Popen(argv, env=environment, stdout=log, stderr=log,
                                start_new_session=True)
        self.procs.append(proc)
        return proc

    def program_said(self, text):
        """How often the program last started wrote a line holding text."""
        try:
            with open(self.log_path, "rb") as f:
                f.seek(self.log_start)
                lines = f.read().decode(errors="replace").splitlines()
        except (AttributeError, OSError):
            return 0
        return sum(text in line for line in lines)

    # --- looking at the screen ---------------------------------------------

    def windows(self):
        out = subprocess.run(["wmctrl", "-l", "-p", "-G"], env=self.env, capture_output=True,
                             text=True).stdout
        result = []
        for line in out.splitlines():
            parts = line.split(None, 8)
            if len(parts) >= 8:
                result.append({"id": parts[0], "pid": int(parts[2]), "x": int(parts[3]),
                               "y": int(parts[4]), "w": int(parts[5]), "h": int(parts[6]),
                               "title": parts[8] if len(parts) > 8 else ""})
        return result

    def window_of(self, pid):
        for window in self.windows():
            if window["pid"] == pid:
                return window
        return None

    def active_window_id(self):
        out = subprocess.run(["xdotool", "getactivewindow"], env=self.env, capture_output=True,
                             text=True).stdout.strip()
        return int(out) if out else None

    def window_state(self, window_id):
        out = subprocess.run(["xprop", "-id", window_id, "_NET_WM_STATE"], env=self.env,
                             capture_output=True, text=True).stdout
        return out

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        return path

    def notifications_shown(self):
        out = subprocess.run(["dunstctl", "count", "displayed"], env=self.env,
                             capture_output=True, text=True).stdout.strip()
        return int(out) if out.isdigit() else 0

    def stop(self):
        """Ends what it started, the last started first: SIGTERM to each
        process alone (the program logs out while the console still runs,
        and ends its own helpers), then whatever is left of its group."""
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
            proc.wait()
        self.procs = []


def main(argv):
    parser = argparse.ArgumentParser(description="Runs a command on a private desktop.")
    parser.add_argument("--no-tray", action="store_true", help="no notification area")
    parser.add_argument("--system-bus", action="store_true", help="a private system bus too")
    parser.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                        help="a variable for the command")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args(argv)
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command")
    # Listing a test binary's cases needs no desktop.
    if "--gtest_list_tests" in command:
        os.execvp(command[0], command)
    desktop = Desktop(os.path.dirname(os.path.abspath(__file__)))
    desktop.env.pop("DISPLAY", None)
    desktop.env.pop("WAYLAND_DISPLAY", None)
    desktop.env.pop("XDG_RUNTIME_DIR", None)
    # The command's end is the desktop's: a signal to the launcher ends both.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    try:
        desktop.start_full_desktop(tray=not args.no_tray, system_bus=args.system_bus)
        env = dict(desktop.env)
        env.update(item.split("=", 1) for item in args.env)
        return subprocess.run(command, env=env).returncode
    except RuntimeError as error:
        print("desktop: %s" % error, file=sys.stderr)
        return 1
    finally:
        desktop.stop()
        shutil.rmtree(desktop.workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
