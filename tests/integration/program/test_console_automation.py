"""The product's main job on a real desktop: it logs in by itself, keeps the
login across dropped sessions, announces calls by notification or by raising
its window without taking the keyboard, and logs out when it ends."""

import os
import subprocess
import unittest

from program_case import CLOSE_BOUND, SHOTS, ProgramCase, wait_until

# Client coordinates of the console's Exit link (its button row is the top frame).
EXIT_LINK = (82, 20)


class ConsoleAutomationTest(ProgramCase):
    def foreign_window(self):
        """Another application's window, for the raise-without-focus check."""
        d = self.desktop
        view = os.path.join(d.build, "src", "backend", "qt", "reference", "qv-bare-view")
        proc = subprocess.Popen([view, "about:blank"], env=d.program_env(),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (proc.kill(), proc.wait()))
        window = wait_until(lambda: d.window_of(proc.pid), 15)
        self.assertIsNotNone(window)
        return window

    def test_logs_in_by_itself_again_after_a_dropped_session_and_out_by_the_exit_button(self):
        self.start(login=True)
        titled = wait_until(lambda: (lambda w: w if w and "PABX Console" in w["title"] else None)(
            self.desktop.window_of(self.program.pid)), 10)
        self.assertIsNotNone(titled, "the console's title never became the caption")
        self.desktop.screenshot(os.path.join(SHOTS, "logged_in.png"))
        self.desktop.sim("sim/drop")
        self.wait_logged_in(2, timeout=15)
        self.assertEqual(self.desktop.console_state()["failed_logins"], 0)
        # The Exit link sits in the console's button row at the top left.
        self.click_at(titled, EXIT_LINK)
        self.assertTrue(self.ends(CLOSE_BOUND + 3), "the Exit button did not end the program")
        self.assertEqual(self.desktop.console_state()["logouts"], 1)

    def test_a_call_shows_a_notification_that_is_withdrawn_after_the_timeout(self):
        window = self.start(Tooltip=1, Timeout=2, login=True)
        watch = self.call_announced(window, "0301234567", "0301234567")
        self.assertIn("Call", watch.calls("Notify")[0])
        # The console stops reporting the call after 4 s; the notification
        # goes Timeout seconds after the last report.
        self.assertTrue(wait_until(lambda: watch.calls("CloseNotification"), 15),
                        "the notification was never withdrawn")
        self.assertEqual(len([c for c in watch.calls("Notify") if "0301234567" in c]), 1,
                         "the same call was announced more than once")
        self.assertIsNone(self.desktop.window_of(self.program.pid), "the window came up")

    def test_a_call_raises_the_window_behind_another_or_hidden_without_taking_the_keyboard(self):
        window = self.start(Tooltip=0, Timeout=2, login=True)
        d = self.desktop
        other = self.foreign_window()
        for was_hidden, number in ((False, "0301234567"), (True, "0307654321")):
            if was_hidden:
                self.hide_with_escape(window)
            # The user works in it: it has a user time, as every current
            # toolkit's window has.
            self.activate(other)
            self.xdotool("key", "a")
            d.sim("sim/call?row1=%s&row2=Call&duration=5" % number)
            raised = wait_until(lambda: d.window_of(self.program.pid), 15)
            self.assertIsNotNone(raised, "the call did not bring the window up")
            self.assertTrue(wait_until(lambda: "_NET_WM_STATE_ABOVE" in
                                       d.window_state(raised["id"]), 15),
                            "the call did not raise the window into the topmost band")
            self.assertEqual(d.active_window_id(), int(other["id"], 16),
                             "the raised window took the keyboard")
            if was_hidden:
                d.screenshot(os.path.join(SHOTS, "call_raised.png"))
                self.assertTrue(self.hidden(15), "the window did not hide again after the call")
            else:
                # After the call and Timeout seconds it leaves the band for the bottom.
                self.assertTrue(wait_until(lambda: "_NET_WM_STATE_ABOVE" not in
                                           d.window_state(raised["id"]), 15))
                self.assertIsNotNone(d.window_of(self.program.pid))
                self.assertEqual(d.active_window_id(), int(other["id"], 16))


if __name__ == "__main__":
    unittest.main()
