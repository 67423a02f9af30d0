"""Shared set-up for the program tests: a private desktop (Xvfb, openbox,
trayer, dunst on a private session bus), quorvia-console and quorvia."""

import os
import re
import subprocess
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "scripts"))
import qvdesktop  # noqa: E402
from qvdesktop import wait_until  # noqa: E402

BUILD = os.environ.get("QV_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "..",
                                                     "build"))
SHOTS = os.environ.get("QV_SCREENSHOT_DIR", os.path.join(BUILD, "screenshots"))
# The program's trace line once it sees the console's logout link.
LOGGED_IN = "logged in: the console shows its logout link"
# The program's logout wait is 5 s; the process gets a little more to end.
CLOSE_BOUND = 7.0


class NotificationWatch:
    """Records Notify and CloseNotification calls on the session bus for the
    rest of a test."""

    def __init__(self, test):
        self.proc = subprocess.Popen(
            ["dbus-monitor", "--session", "interface='org.freedesktop.Notifications'"],
            env=test.desktop.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        test.addCleanup(self.stop)
        self.lines = []
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        # dbus-monitor has become a monitor when it loses its own name.
        if not wait_until(lambda: any("member=NameLost" in line for line in self.lines), 10):
            raise RuntimeError("dbus-monitor did not start")

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line.rstrip("\n"))

    def calls(self, member):
        """The string and number arguments of each call of member, in order."""
        result, current = [], None
        for line in list(self.lines):
            if line.startswith("method call"):
                current = [] if ("member=%s" % member) in line else None
                if current is not None:
                    result.append(current)
            elif current is not None:
                match = re.match(r'\s+(string|uint32|int32) "?(.*?)"?$', line)
                if match:
                    current.append(match.group(2))
        return result

    def stop(self):
        self.proc.kill()
        self.proc.wait()


class ProgramCase(unittest.TestCase):
    # The X screen, and how it is split into monitors (none: one).
    SCREEN = "1280x1024x24"
    MONITORS = None
    # A notification area (trayer), as most desktops have.
    TRAY_HOST = True

    @classmethod
    def setUpClass(cls):
        os.makedirs(SHOTS, exist_ok=True)
        cls.desktop = qvdesktop.Desktop(BUILD)
        cls.desktop.env.pop("DISPLAY", None)
        # A desktop that cannot start gets no tearDownClass: end what did.
        try:
            cls.desktop.start_x(cls.SCREEN)
            cls.desktop.start_full_desktop(tray=cls.TRAY_HOST)
            if cls.MONITORS:
                cls.desktop.set_monitors(cls.MONITORS)
        except Exception:
            cls.desktop.stop()
            raise
        cls.base = cls.desktop.workdir

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.console = None
        self.program = None
        self.fresh_settings(self._testMethodName)

    def tearDown(self):
        d = self.desktop
        for proc in (self.program, d.console_proc):
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait()
        d.procs = [p for p in d.procs if p.poll() is None]

    # helpers --------------------------------------------------------------

    def start(self, *args, console_extra=(), login=False, **ints):
        """Console, settings and program; its main window, once logged in
        with login."""
        d = self.desktop
        self.console = d.start_console(extra=console_extra)
        d.seed_settings(self.console, "demo", "demo", **ints)
        self.program = d.start_program(*args)
        window = wait_until(lambda: d.window_of(self.program.pid), 20)
        self.assertIsNotNone(window, "the main window never appeared\n" + self.program_log())
        if login:
            self.wait_logged_in(1)
        return window

    def program_log(self, lines=40):
        """The end of what the program wrote, for a failure's message."""
        try:
            with open(os.path.join(self.desktop.workdir, "quorvia.log"), errors="replace") as f:
                return "".join(f.readlines()[-lines:])
        except OSError as error:
            return str(error)

    def fresh_settings(self, name):
        self.desktop.workdir = os.path.join(self.base, name)
        os.makedirs(self.desktop.workdir, exist_ok=True)

    def close_and_wait(self, window):
        started = time.monotonic()
        self.desktop._run_ok(["wmctrl", "-i", "-c", window["id"]])
        self.assertTrue(self.ends(20), "the program did not end after the close box")
        return time.monotonic() - started

    def ends(self, timeout):
        return wait_until(lambda: self.program.poll() is not None, timeout, step=0.05)

    def xdotool(self, *args):
        self.desktop._run_ok(["xdotool"] + [str(arg) for arg in args])

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", int(window["id"], 16))

    def window_titled(self, title, timeout=15):
        d = self.desktop
        return wait_until(lambda: next((w for w in d.windows() if w["pid"] == self.program.pid
                                        and w["title"] == title), None), timeout)

    def closes(self, title):
        """Until the program's window of that title is gone."""
        return wait_until(lambda: self.window_titled(title, 0.2) is None, 10)

    def moved(self, window, x, y, w=-1, h=-1):
        """The program's window once the window manager moved it (and sized
        it, unless -1) as asked."""
        d = self.desktop
        d._run_ok(["wmctrl", "-i", "-r", window["id"], "-e", "0,%d,%d,%d,%d" % (x, y, w, h)])
        return wait_until(lambda: (lambda now: now if now and abs(now["x"] - x) <= 12 and
                                   (w < 0 or abs(now["w"] - w) <= 12) else None)(
            d.window_of(self.program.pid)), 5)

    def click_at(self, window, offset):
        """A left click at a client position of the window, from the window
        position xdotool reports."""
        geometry = subprocess.run(["xdotool", "getwindowgeometry", str(int(window["id"], 16))],
                                  env=self.desktop.env, capture_output=True, text=True).stdout
        x, y = (int(v) for v in re.search(r"Position: (\d+),(\d+)", geometry).groups())
        self.xdotool("mousemove", x + offset[0], y + offset[1], "click", 1)

    def tray_icon(self):
        """The centre of the tray panel, which holds only our icon."""
        panel = next((w for w in self.desktop.windows() if w["title"] == "panel"), None)
        self.assertIsNotNone(panel, "no tray panel: %r" % self.desktop.windows())
        return panel["x"] + panel["w"] // 2, panel["y"] + panel["h"] // 2

    def tray_menu_command(self, mnemonic):
        """Right-clicks the notification icon, takes a menu item."""
        self.menu_command(["mousemove", *self.tray_icon(), "click", 3], mnemonic)

    def call_announced(self, window, number, name):
        """Hidden in the notification area, a call from number shows name;
        the notifications seen."""
        self.hide_with_escape(window)
        watch = NotificationWatch(self)
        self.desktop.sim("sim/call?row1=%s&row2=Call&duration=4" % number)
        shown = wait_until(lambda: [c for c in watch.calls("Notify") if name in c], 15)
        self.assertTrue(shown, "no notification with %r: %r" % (name, watch.lines[-30:]))
        return watch

    def requests(self, path="/app-main.asp"):
        return self.desktop.console_state()["requests"].get(path, 0)

    def wait_logged_in(self, count=1, timeout=20):
        """Until the console counted the login, the program saw the
        logged-in page (the logout link) that many times, and the page's
        poll frame has come twice more: the frames have loaded and run."""
        state = self.desktop.console_state
        self.assertTrue(wait_until(lambda: state()["logins"] >= count and
                                   self.desktop.program_said(LOGGED_IN) >= count, timeout),
                        "login #%d did not complete: %r\n%s" % (count, state(),
                                                                self.program_log()))
        polls = self.requests("/vp-poll.asp")
        self.assertTrue(wait_until(lambda: self.requests("/vp-poll.asp") >= polls + 2, timeout),
                        "the console page does not poll: %r" % state())

    def windows_shown(self):
        """The program's visible windows (menus too)."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                              str(self.program.pid), ""], env=self.desktop.env,
                             capture_output=True, text=True).stdout
        return set(out.split())

    def menu_command(self, opener, mnemonic):
        """Opens a menu by the xdotool arguments opener and takes an item
        by its mnemonic. The opener is repeated until it takes: an icon just
        docked may miss a click."""
        before = self.windows_shown()
        menu = None
        for _ in range(5):
            self.xdotool(*opener)
            menu = wait_until(lambda: self.windows_shown() - before, 3)
            if menu:
                break
        self.assertTrue(menu, "%s opened no menu" % opener)
        # Mapped is not yet taking keys. The popup grabs the keyboard without
        # taking the focus, so there is nothing to wait on but a moment.
        time.sleep(0.3)
        self.xdotool("key", mnemonic)

    def shows(self, window, timeout=10):
        """Until the window is the active one: mapped and drawn."""
        return wait_until(lambda: self.desktop.active_window_id() == int(window["id"], 16),
                          timeout)

    def hidden(self, timeout):
        return wait_until(lambda: self.desktop.window_of(self.program.pid) is None, timeout)

    def hide_with_escape(self, window):
        self.activate(window)
        self.xdotool("key", "Escape")
        self.assertTrue(self.hidden(10), "Esc did not hide the window")
