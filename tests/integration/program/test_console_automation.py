"""The product's main job on a real desktop: it logs in by itself, keeps the
login across dropped sessions, announces calls by notification or by raising
its window without taking the keyboard, and logs out when it ends."""

import os
import re
import subprocess
import unittest

from program_case import CLOSE_BOUND, SHOTS, NotificationWatch, ProgramCase, wait_until


class ConsoleAutomationTest(ProgramCase):
    def foreign_window(self):
        """Another application's window, active and in use (it has a user
        time, as every current toolkit's window has), for the raise-without-
        focus check."""
        d = self.desktop
        view = os.path.join(d.build, "src", "backend", "qt", "reference", "qv-bare-view")
        proc = subprocess.Popen([view, "about:blank"], env=d.program_env(),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (proc.kill(), proc.wait()))
        window = wait_until(lambda: d.window_of(proc.pid), 15)
        self.assertIsNotNone(window)
        d._run_ok(["xdotool", "windowactivate", "--sync", str(int(window["id"], 16))])
        d._run_ok(["xdotool", "key", "a"])  # the user works in it
        return window

    def test_logs_in_by_itself_and_again_after_a_dropped_session(self):
        self.fresh_settings("login")
        self.start()
        self.wait_logged_in(1)
        titled = wait_until(lambda: (lambda w: w if w and "PABX Console" in w["title"] else None)(
            self.desktop.window_of(self.program.pid)), 10)
        self.assertIsNotNone(titled, "the console's title never became the caption")
        self.desktop.screenshot(os.path.join(SHOTS, "logged_in.png"))
        self.desktop.sim("sim/drop")
        self.wait_logged_in(2, timeout=15)
        self.assertEqual(self.desktop.console_state()["failed_logins"], 0)

    def test_wrong_password_is_submitted_once(self):
        self.fresh_settings("wrong")
        d = self.desktop
        address = d.start_console()
        d.seed_settings(address, "demo", "not-the-password")
        self.program = d.start_program()
        self.assertTrue(wait_until(lambda: d.console_state()["failed_logins"] >= 1, 20))
        # Back at the form, the program leaves it alone.
        self.assertTrue(wait_until(lambda: d.program_said("login form left alone"), 20),
                        self.program_log())
        self.assertEqual(d.console_state()["failed_logins"], 1)
        self.assertEqual(d.console_state()["logins"], 0)

    def test_a_call_shows_a_notification_that_is_withdrawn_after_the_timeout(self):
        self.fresh_settings("balloon")
        window = self.start(Tooltip=1, Timeout=2)
        self.wait_logged_in(1)
        self.hide_with_escape(window)
        watch = NotificationWatch(self.desktop.env)
        self.addCleanup(watch.stop)
        self.desktop.sim("sim/call?row1=0301234567&row2=Call&duration=4")
        shown = wait_until(lambda: [c for c in watch.calls("Notify") if "0301234567" in c], 15)
        self.assertTrue(shown, "no notification: %r" % watch.lines[-20:])
        self.assertIn("Call", shown[0])
        # The console stops reporting the call after 4 s; the notification
        # goes Timeout seconds after the last report.
        self.assertTrue(wait_until(lambda: watch.calls("CloseNotification"), 15),
                        "the notification was never withdrawn")
        self.assertEqual(len([c for c in watch.calls("Notify") if "0301234567" in c]), 1,
                         "the same call was announced more than once")
        self.assertIsNone(self.desktop.window_of(self.program.pid), "the window came up")

    def test_a_call_raises_a_window_behind_another_without_taking_the_keyboard(self):
        self.fresh_settings("behind")
        self.start(Tooltip=0, Timeout=2)
        self.wait_logged_in(1)
        other = self.foreign_window()
        d = self.desktop
        d.sim("sim/call?row1=0301234567&row2=Call&duration=5")
        ours = d.window_of(self.program.pid)
        self.assertTrue(wait_until(lambda: "_NET_WM_STATE_ABOVE" in d.window_state(ours["id"]), 15),
                        "the call did not raise the window into the topmost band")
        self.assertEqual(d.active_window_id(), int(other["id"], 16),
                         "the raised window took the keyboard")
        # After the call and Timeout seconds it leaves the band for the bottom.
        self.assertTrue(wait_until(lambda: "_NET_WM_STATE_ABOVE" not in
                                   d.window_state(ours["id"]), 15))
        self.assertIsNotNone(d.window_of(self.program.pid))
        self.assertEqual(d.active_window_id(), int(other["id"], 16))

    def test_a_call_raises_the_hidden_window_without_taking_the_keyboard(self):
        self.fresh_settings("raise")
        window = self.start(Tooltip=0, Timeout=2)
        self.wait_logged_in(1)
        self.hide_with_escape(window)
        other = self.foreign_window()
        d = self.desktop
        d.sim("sim/call?row1=0301234567&row2=Call&duration=5")
        raised = wait_until(lambda: d.window_of(self.program.pid), 15)
        self.assertIsNotNone(raised, "the call did not bring the window up")
        self.assertTrue(wait_until(lambda: "_NET_WM_STATE_ABOVE" in d.window_state(raised["id"]),
                                   3), "the window is not in the topmost band")
        self.assertEqual(d.active_window_id(), int(other["id"], 16),
                         "the raised window took the keyboard")
        d.screenshot(os.path.join(SHOTS, "call_raised.png"))
        self.assertTrue(wait_until(lambda: d.window_of(self.program.pid) is None, 15),
                        "the window did not hide again after the call")

    def test_close_box_logs_out_and_ends(self):
        self.fresh_settings("closelogout")
        window = self.start()
        self.wait_logged_in(1)
        took = self.close_and_wait(window)
        self.assertLess(took, CLOSE_BOUND)
        self.assertEqual(self.desktop.console_state()["logouts"], 1)

    def test_exit_button_logs_out_and_ends(self):
        self.fresh_settings("exitbutton")
        window = self.start()
        self.wait_logged_in(1)
        d = self.desktop
        current = d.window_of(self.program.pid)
        # The Exit link sits in the console's button row at the top left.
        geometry = subprocess.run(["xdotool", "getwindowgeometry", str(int(current["id"], 16))],
                                  env=d.env, capture_output=True, text=True).stdout
        pos = re.search(r"Position: (\d+),(\d+)", geometry)
        x, y = int(pos.group(1)), int(pos.group(2))
        d._run_ok(["xdotool", "mousemove", str(x + EXIT_LINK[0]), str(y + EXIT_LINK[1]), "click",
                   "1"])
        self.assertTrue(wait_until(lambda: self.program.poll() is not None, CLOSE_BOUND + 3),
                        "the Exit button did not end the program")
        self.assertEqual(d.console_state()["logouts"], 1)


# Client coordinates of the console's Exit link (its button row is the top frame).
EXIT_LINK = (82, 20)

if __name__ == "__main__":
    unittest.main()
