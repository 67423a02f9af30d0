"""What a Linux desktop expects of the program: a signal ends it as the end
of the session does, and a click on a call's notification shows its window."""

import os
import re
import signal
import subprocess
import time
import unittest

from program_case import CLOSE_BOUND, NotificationWatch, ProgramCase, wait_until


class DesktopHabitsTest(ProgramCase):
    def ended_by(self, number):
        self.assertTrue(self.ends(CLOSE_BOUND + 3),
                        "still running after %s" % signal.Signals(number).name)
        # Cleaned up, then ended by the signal itself, as its sender expects.
        self.assertEqual(self.program.returncode, -number)

    def test_a_signal_logs_out_and_keeps_the_placement_also_when_sent_twice(self):
        # A slow console keeps the logout waiting long enough for a second signal.
        window = self.start(console_extra=("--latency", "1000"))
        self.wait_logged_in(1, timeout=40)
        moved = self.moved(window, 310, 190, 520, 440)
        self.assertIsNotNone(moved, "the window manager did not move the window")
        started = time.monotonic()
        os.kill(self.program.pid, signal.SIGTERM)
        self.assertTrue(wait_until(lambda: self.requests("/logout.asp") > 0, 10),
                        "no logout reached the console")
        start_pages = self.requests()
        os.kill(self.program.pid, signal.SIGTERM)
        self.ended_by(signal.SIGTERM)
        self.assertLess(time.monotonic() - started, CLOSE_BOUND)
        self.assertEqual(self.desktop.console_state()["logouts"], 1)
        # It stayed for the logout's answer, the console's start page.
        self.assertGreater(self.requests(), start_pages)
        d = self.desktop
        self.assertLessEqual(abs(d.read_setting("XPosition") - moved["x"]), 12)
        self.assertEqual(d.read_setting("Minimized"), 0)

    def test_ctrl_c_logs_out_and_a_closed_terminal_ends_the_program(self):
        # A terminal sends both to the whole process group. The engine's
        # processes ignore SIGINT but end by SIGHUP, leaving no page to log
        # out with: the program still keeps its placement and ends in bound.
        for number, logouts in ((signal.SIGINT, 1), (signal.SIGHUP, 0)):
            name = signal.Signals(number).name
            self.fresh_settings(name.lower())
            self.start(login=True)
            started = time.monotonic()
            os.killpg(self.program.pid, number)
            self.ended_by(number)
            self.assertLess(time.monotonic() - started, CLOSE_BOUND, name)
            self.assertEqual(self.desktop.console_state()["logouts"], logouts, name)
            self.assertIsNotNone(self.desktop.read_setting("XPosition"), name)
            self.desktop.console_proc.kill()
            self.desktop.console_proc.wait()

    def test_a_click_on_the_calls_notification_shows_the_window(self):
        d = self.desktop
        d.seed_settings(d.start_console(), "demo", "demo", Tooltip=1, Timeout=30, Minimized=1)
        self.program = d.start_program()
        self.wait_logged_in(1)
        self.assertIsNone(d.window_of(self.program.pid), "the window did not start hidden")
        d._run_ok(["dunstctl", "close-all"])
        watch = NotificationWatch(self)
        d.sim("sim/call?row1=0301234567&row2=Call")
        bubble = wait_until(self.notification_bubble, 15)
        self.assertIsNotNone(bubble, "no notification for the call")
        self.assertIsNone(d.window_of(self.program.pid))
        # Debian's dunst takes the notification's default action on a middle click.
        self.xdotool("mousemove", bubble[0], bubble[1], "click", 2)
        shown = wait_until(lambda: d.window_of(self.program.pid), 10)
        self.assertIsNotNone(shown, "the click did not show the window")
        self.assertEqual(d.active_window_id(), int(shown["id"], 16))
        # The desktop learns whose it is: the program's name and desktop entry.
        self.assertEqual(watch.calls("Notify")[0][0], "Quorvia Browser")
        call = "\n".join(watch.lines)
        self.assertRegex(call, r'string "desktop-entry"\s+variant\s+string "com.belmar.Quorvia"')

    def notification_bubble(self):
        """The centre of dunst's window while it shows a notification."""
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=self.desktop.env,
                              capture_output=True, text=True).stdout
        match = re.search(r'"Dunst": \("Dunst" "Dunst"\)\s+(\d+)x(\d+)\+\S+\s+\+(\d+)\+(\d+)', tree)
        if not match or int(match.group(2)) < 10:
            return None
        width, height, x, y = (int(v) for v in match.groups())
        return x + width // 2, y + height // 2


if __name__ == "__main__":
    unittest.main()
