"""Without a notification area (plain GNOME) every command of the icon's
menu is in the window itself: the page's context menu offers it below the
engine's items, opened by the right button, or with the page having the
keyboard, by the menu key or Shift+F10."""

import time
import unittest

from program_case import CLOSE_BOUND, ProgramCase, wait_until


class NoTrayHostTest(ProgramCase):
    TRAY_HOST = False

    def command(self, opener, mnemonic):
        """Opens the page's menu and takes an item by its mnemonic."""
        if opener == "right button":
            self.menu_command(["mousemove", *self.page, "click", 3], mnemonic)
        else:
            self.menu_command(["key", opener], mnemonic)

    def test_every_command_of_the_icons_menu_is_in_the_page_menu(self):
        window = self.start(login=True)
        d = self.desktop
        self.page = (window["x"] + window["w"] // 2, window["y"] + window["h"] // 2 + 60)
        # The page takes the keyboard.
        self.xdotool("mousemove", self.page[0], self.page[1], "click", 1)

        self.command("right button", "i")
        self.assertIsNotNone(self.window_titled("Info"), "no info dialog: %r" % d.windows())
        self.xdotool("key", "Return")
        self.assertTrue(self.closes("Info"))

        self.command("Menu", "c")
        self.assertIsNotNone(self.window_titled("Configuration"), "no configuration dialog")
        self.xdotool("key", "Escape")
        self.assertTrue(self.closes("Configuration"))

        others = {w["id"] for w in d.windows()}
        self.command("shift+F10", "r")
        readme = wait_until(lambda: [w for w in d.windows() if w["pid"] == self.program.pid
                                     and w["id"] not in others], 15)
        self.assertTrue(readme, "no readme window: %r" % d.windows())
        self.xdotool("key", "Escape")
        self.assertTrue(self.closes(readme[0]["title"]))

        self.command("right button", "o")
        self.assertTrue(wait_until(lambda: d.console_state()["logouts"] == 1, 10), "no logout")
        # A key pressed while the page changes is lost, as in any browser.
        self.assertIsNotNone(self.window_titled("PABX Console - Login"))
        self.command("Menu", "l")
        self.wait_logged_in(2)
        started = time.monotonic()
        self.command("shift+F10", "q")
        self.assertTrue(self.ends(CLOSE_BOUND))
        self.assertLess(time.monotonic() - started, CLOSE_BOUND)
        self.assertEqual(d.console_state()["logouts"], 2)


if __name__ == "__main__":
    unittest.main()
