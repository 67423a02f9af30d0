"""The real quorvia on a private desktop against quorvia-console: what a
person sees of the main window and its lifecycle."""

import unittest

from program_case import CLOSE_BOUND, ProgramCase, wait_until


class ProgramTest(ProgramCase):
    def test_placement_survives_a_restart_which_reaches_the_console_not_a_cache(self):
        window = self.start()
        d = self.desktop
        moved = self.moved(window, 300, 200, 500, 420)
        self.assertIsNotNone(moved, "the window manager did not move the window")
        self.assertTrue(wait_until(lambda: self.requests() >= 1, 15))
        before = self.requests()
        self.close_and_wait(moved)
        self.assertIsNotNone(d.read_setting("XPosition"))
        self.program = d.start_program()
        again = wait_until(lambda: d.window_of(self.program.pid), 20)
        self.assertIsNotNone(again)
        for key in ("x", "y", "w", "h"):
            self.assertLessEqual(abs(again[key] - moved[key]), 12,
                                 "%s: %r then %r" % (key, moved, again))
        self.assertTrue(wait_until(lambda: self.requests() > before, 15),
                        "the second start was answered without the console")

    def test_enter_in_the_page_does_not_end_the_program(self):
        window = self.start(login=True)
        self.activate(window)
        # Escape after it: once the window hides, Enter has been handled.
        self.xdotool("key", "Return", "Escape")
        self.assertTrue(wait_until(lambda: self.program.poll() is not None or
                                   self.desktop.window_of(self.program.pid) is None, 10))
        self.assertIsNone(self.program.poll(), "Enter in the page ended the program")

    def test_close_box_ends_the_program_in_bound_even_with_a_stalled_console(self):
        window = self.start(console_extra=("--latency", "20000"))
        # Responsive while the console does not answer: the window manager can
        # move it and the program follows.
        self.assertIsNotNone(self.moved(window, 200, 150))
        self.assertLess(self.close_and_wait(window), CLOSE_BOUND)

    def test_page_script_sees_the_external_object(self):
        window = self.start("http://%s/external.html")
        titled = wait_until(lambda: (lambda w: w if w and "CTI_IsBrowser=" in w["title"]
                                     else None)(self.desktop.window_of(self.program.pid)), 20)
        self.assertIsNotNone(titled, "the page title never reached the caption: %r" % window)
        self.assertIn("CTI_IsBrowser=function:true", titled["title"])


if __name__ == "__main__":
    unittest.main()
