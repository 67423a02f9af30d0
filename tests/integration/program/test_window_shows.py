"""The main window shows whenever it should on a desktop that has seen the
program before: at every start after earlier runs ended by a signal, at
every call, and at every click on the notification icon; and at the size it
was kept, also when that is larger than the primary monitor."""

import os
import re
import signal
import subprocess
import time
import unittest

from program_case import ProgramCase, wait_until

# Qt's default: two clicks closer together are one double click.
DOUBLE_CLICK_TIME = 0.5


class WindowShowsTest(ProgramCase):
    def describe(self, window_id):
        out = subprocess.run(["xprop", "-id", window_id, "WM_HINTS", "WM_STATE",
                              "_NET_WM_STATE"], env=self.desktop.env, capture_output=True,
                             text=True).stdout
        return " ".join(out.split())

    def on_screen(self, timeout):
        """The program's window once it is mapped for the user to see (the
        window manager lists an iconic window as well)."""
        d = self.desktop

        def viewable():
            window = d.window_of(self.program.pid)
            if not window:
                return None
            out = subprocess.run(["xwininfo", "-id", window["id"]], env=d.env,
                                 capture_output=True, text=True).stdout
            return window if "IsViewable" in out else None
        return wait_until(viewable, timeout)

    def focused(self, window_id):
        out = subprocess.run(["xdotool", "getwindowfocus"], env=self.desktop.env,
                             capture_output=True, text=True).stdout.strip()
        return out.isdigit() and int(out) == int(window_id, 16)

    def assertWhere(self, window, before, what):
        """Back where it was (the frame may be counted a few pixels apart)."""
        for key in ("x", "y", "w", "h"):
            self.assertLessEqual(abs(window[key] - before[key]), 12,
                                 "%s: %r, before %r" % (what, window, before))

    def test_every_start_on_one_desktop_shows_the_window(self):
        d = self.desktop
        for start in range(1, 5):
            self.fresh_settings("restart%d" % start)
            listed = self.start(Tooltip=0, Timeout=2)
            shown = self.on_screen(20)
            self.assertIsNotNone(shown, "start %d: not on screen: %s" %
                                 (start, self.describe(listed["id"])))
            self.wait_logged_in(1)
            self.hide_with_escape(shown)
            d.sim("sim/call?row1=0301234567&row2=Call&duration=5")
            raised = self.on_screen(15)
            self.assertIsNotNone(raised, "start %d: the call did not show the window" % start)
            self.assertWhere(raised, shown, "start %d" % start)
            self.assertTrue(self.hidden(20), "start %d: the window stayed after the call" % start)
            os.kill(self.program.pid, signal.SIGTERM)
            self.assertTrue(self.ends(10))
            d.console_proc.kill()
            d.console_proc.wait()

    def test_every_click_on_the_icon_shows_or_hides_the_window(self):
        window = self.start(login=True)
        self.hide_with_escape(window)
        x, y = self.tray_icon()
        clicked = 0.0
        for click in range(1, 13):
            # One click at a time, as a user clicks to show and to hide.
            wait_until(lambda: time.monotonic() > clicked + DOUBLE_CLICK_TIME, 5, step=0.05)
            self.xdotool("mousemove", x, y, "click", 1)
            clicked = time.monotonic()
            if click % 2:
                shown = self.on_screen(10)
                self.assertIsNotNone(shown, "click %d did not show the window: %s" %
                                     (click, self.describe(window["id"])))
                self.assertWhere(shown, window, "click %d" % click)
                # Hidden windows stay named the active one: the keyboard
                # focus tells.
                self.assertTrue(wait_until(lambda: self.focused(shown["id"]), 10),
                                "click %d did not give the window the keyboard" % click)
            else:
                self.assertTrue(self.hidden(10), "click %d did not hide the window" % click)


class TwoMonitorsTest(ProgramCase):
    """A primary monitor of 1280 x 1024 and a larger one right of it."""
    SCREEN = "3200x1200x24"
    MONITORS = [(0, 0, 1280, 1024), (1280, 0, 1920, 1200)]

    def test_a_window_larger_than_the_primary_monitor_keeps_its_size(self):
        window = self.start(XPosition=64, YPosition=40, XWidth=1800, YHeight=1100)
        d = self.desktop
        extents = wait_until(lambda: re.search(r"= (\d+), (\d+), (\d+), (\d+)", subprocess.run(
            ["xprop", "-id", window["id"], "_NET_FRAME_EXTENTS"], env=d.env,
            capture_output=True, text=True).stdout), 10)
        self.assertIsNotNone(extents, "the window manager did not frame the window")
        left, right, top, bottom = (int(v) for v in extents.groups())
        client = (1800 - left - right, 1100 - top - bottom)
        sized = wait_until(lambda: (lambda w: w if w and (w["w"], w["h"]) == client else None)(
            d.window_of(self.program.pid)), 10)
        self.assertIsNotNone(sized, "%r, client size stored %r" %
                             (d.window_of(self.program.pid), client))


if __name__ == "__main__":
    unittest.main()
