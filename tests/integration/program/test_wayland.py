"""On a Wayland session the program runs through XWayland where there is
one, since placing its window and raising it without the focus need X11;
without one, or when the user chose Wayland, it runs natively. A headless
weston stands in for the session's compositor beside the X server."""

import os
import signal
import unittest

from program_case import CLOSE_BOUND, ProgramCase


class WaylandSessionTest(ProgramCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.start_wayland()

    def run_until_logged_in(self, name, **env):
        self.fresh_settings(name)
        d = self.desktop
        d.seed_settings(d.start_console(), "demo", "demo")
        self.program = d.start_program(env=env)
        self.wait_logged_in(1)

    def test_an_x_display_is_used_unless_the_user_chose_wayland(self):
        self.run_until_logged_in("xwayland")
        self.assertIsNotNone(self.desktop.window_of(self.program.pid), "not on the X display")
        self.program.kill()
        self.desktop.console_proc.kill()

        self.run_until_logged_in("chosen", QT_QPA_PLATFORM="wayland")
        self.assertIsNone(self.desktop.window_of(self.program.pid), "not on Wayland")

    def test_without_x_it_runs_natively_and_ends_by_a_signal_logged_out(self):
        self.run_until_logged_in("native", DISPLAY=None)
        os.kill(self.program.pid, signal.SIGTERM)
        self.assertTrue(self.ends(CLOSE_BOUND + 3))
        self.assertEqual(self.desktop.console_state()["logouts"], 1)


if __name__ == "__main__":
    unittest.main()
