"""The real quorvia on a private desktop against quorvia-console: what a
person sees of the main window and its lifecycle."""

import os
import unittest

from program_case import CLOSE_BOUND, SHOTS, ProgramCase, wait_until


class ProgramTest(ProgramCase):
    # tests ------------------------------------------------------------------

    def test_opens_with_the_console_page_and_the_tray_icon(self):
        self.fresh_settings("open")
        window = self.start()
        self.assertTrue(window["title"])
        self.assertTrue(wait_until(lambda: self.requests() >= 1, 15),
                        "the start URL never reached the console")
        self.wait_logged_in(1)
        self.desktop.screenshot(os.path.join(SHOTS, "main_window.png"))
        # The tray host holds our icon: trayer's panel is the only other window
        # and the program is still alive once logged in.
        self.assertIsNone(self.program.poll())

    def test_every_start_reaches_the_console_not_a_cache(self):
        self.fresh_settings("nocache")
        window = self.start()
        self.assertTrue(wait_until(lambda: self.requests() >= 1, 15))
        before = self.requests()
        self.close_and_wait(window)
        self.program = self.desktop.start_program()
        self.assertTrue(wait_until(lambda: self.requests() > before, 15),
                        "the second start was answered without the console")

    def test_placement_survives_a_restart(self):
        self.fresh_settings("placement")
        window = self.start()
        d = self.desktop
        d._run_ok(["wmctrl", "-i", "-r", window["id"], "-e", "0,300,200,500,420"])
        moved = wait_until(lambda: (lambda w: w if w and abs(w["x"] - 300) <= 12 and
                                    abs(w["w"] - 500) <= 12 else None)(
            d.window_of(self.program.pid)), 5)
        self.assertIsNotNone(moved, "the window manager did not move the window")
        self.close_and_wait(moved)
        self.assertIsNotNone(d.read_setting("XPosition"))
        self.program = d.start_program()
        again = wait_until(lambda: d.window_of(self.program.pid), 20)
        self.assertIsNotNone(again)
        for key in ("x", "y", "w", "h"):
            self.assertLessEqual(abs(again[key] - moved[key]), 12,
                                 "%s: %r then %r" % (key, moved, again))

    def test_escape_hides_the_window_and_the_program_keeps_running(self):
        self.fresh_settings("escape")
        window = self.start()
        d = self.desktop
        d._run_ok(["xdotool", "windowactivate", "--sync", str(int(window["id"], 16))])
        d._run_ok(["xdotool", "key", "Escape"])
        hidden = wait_until(lambda: d.window_of(self.program.pid) is None, 10)
        self.assertTrue(hidden, "Esc did not hide the window")
        self.assertIsNone(self.program.poll(), "Esc ended the program")

    def test_enter_in_the_page_does_not_end_the_program(self):
        self.fresh_settings("enter")
        window = self.start()
        d = self.desktop
        self.wait_logged_in(1)
        d._run_ok(["xdotool", "windowactivate", "--sync", str(int(window["id"], 16))])
        # Escape after it: once the window hides, Enter has been handled.
        d._run_ok(["xdotool", "key", "Return", "Escape"])
        self.assertTrue(wait_until(lambda: self.program.poll() is not None or
                                   d.window_of(self.program.pid) is None, 10))
        self.assertIsNone(self.program.poll(), "Enter in the page ended the program")

    def test_close_box_ends_the_program_in_bound_even_with_a_stalled_console(self):
        self.fresh_settings("stalled")
        window = self.start(console_extra=("--latency", "20000"))
        d = self.desktop
        # Responsive while the console does not answer: the window manager can
        # move it and the program follows.
        d._run_ok(["wmctrl", "-i", "-r", window["id"], "-e", "0,200,150,-1,-1"])
        self.assertTrue(wait_until(
            lambda: abs(d.window_of(self.program.pid)["x"] - 200) <= 12, 5))
        took = self.close_and_wait(window)
        self.assertLess(took, CLOSE_BOUND)

    def test_page_script_sees_the_external_object(self):
        self.fresh_settings("external")
        window = self.start("http://%s/external.html")
        d = self.desktop
        titled = wait_until(lambda: (lambda w: w if w and "CTI_IsBrowser=" in w["title"]
                                     else None)(d.window_of(self.program.pid)), 20)
        self.assertIsNotNone(titled, "the page title never reached the caption: %r" % window)
        self.assertIn("CTI_IsBrowser=function:true", titled["title"])


if __name__ == "__main__":
    unittest.main()
