"""What a Linux desktop expects of the program: a signal ends it as the end
of the session does."""

import os
import signal
import time
import unittest

from program_case import CLOSE_BOUND, ProgramCase, wait_until


class DesktopHabitsTest(ProgramCase):
    def logouts(self):
        return self.desktop.console_state()["logouts"]

    def moved(self, window, x, y):
        d = self.desktop
        d._run_ok(["wmctrl", "-i", "-r", window["id"], "-e", "0,%d,%d,520,440" % (x, y)])
        return wait_until(lambda: (lambda w: w if w and abs(w["x"] - x) <= 12 else None)(
            d.window_of(self.program.pid)), 5)

    def ended_by(self, number):
        self.assertTrue(wait_until(lambda: self.program.poll() is not None, CLOSE_BOUND + 3),
                        "still running after %s" % signal.Signals(number).name)
        # Cleaned up, then ended by the signal itself, as its sender expects.
        self.assertEqual(self.program.returncode, -number)

    def test_a_signal_logs_out_and_keeps_the_placement_also_when_sent_twice(self):
        self.fresh_settings("sigterm")
        # A slow console keeps the logout waiting long enough for a second signal.
        window = self.start(console_extra=("--latency", "1000"))
        self.wait_logged_in(1, timeout=40)
        # The console's display has polled again: its page is complete.
        polls = self.requests("/vp-poll.asp")
        self.assertTrue(wait_until(lambda: self.requests("/vp-poll.asp") > polls, 15))
        moved = self.moved(window, 310, 190)
        self.assertIsNotNone(moved, "the window manager did not move the window")
        started = time.monotonic()
        os.kill(self.program.pid, signal.SIGTERM)
        self.assertTrue(wait_until(lambda: self.requests("/logout.asp") > 0, 10),
                        "no logout reached the console")
        start_pages = self.requests()
        os.kill(self.program.pid, signal.SIGTERM)
        self.ended_by(signal.SIGTERM)
        self.assertLess(time.monotonic() - started, CLOSE_BOUND)
        self.assertEqual(self.logouts(), 1)
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
            self.start()
            self.wait_logged_in(1)
            started = time.monotonic()
            os.killpg(self.program.pid, number)
            self.ended_by(number)
            self.assertLess(time.monotonic() - started, CLOSE_BOUND, name)
            self.assertEqual(self.logouts(), logouts, name)
            self.assertIsNotNone(self.desktop.read_setting("XPosition"), name)
            self.desktop.console_proc.kill()
            self.desktop.console_proc.wait()


if __name__ == "__main__":
    unittest.main()
