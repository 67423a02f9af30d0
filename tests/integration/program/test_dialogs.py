"""The configuration and info dialogs of the real program: a first start
asks for the user, the icon's menu reaches both dialogs, and what the user
confirms is stored."""

import os
import unittest

from program_case import CLOSE_BOUND, SHOTS, ProgramCase, wait_until

# The console's Configuration and Help links, from the window position
# xdotool reports (the same reference as the Exit link of the automation tests).
CONFIG_LINK = (321, 2)
HELP_LINK = (30, 21)
README = "Quorvia Browser \u2013 Readme"


class DialogsTest(ProgramCase):
    def keys(self, window, *keys):
        self.activate(window)
        if keys:
            self.xdotool("key", "--clearmodifiers", *keys)

    def test_a_first_start_asks_for_the_user_and_then_logs_in(self):
        d = self.desktop
        address = d.start_console()
        d.seed_settings("192.168.0.240", "", "")
        self.program = d.start_program()
        dialog = self.window_titled("Configuration", 20)
        self.assertIsNotNone(dialog, "no configuration dialog: %r" % d.windows())
        self.shows(dialog)
        d.screenshot(os.path.join(SHOTS, "configuration_dialog.png"))
        # The address edit has the focus with the stored address selected:
        # typing replaces it. The user name and the password follow.
        self.keys(dialog)
        self.xdotool("type", "--delay", 30, address)
        self.keys(dialog, "Tab")
        self.xdotool("type", "--delay", 30, "demo")
        self.keys(dialog, "Tab")
        self.xdotool("type", "--delay", 30, "demo")
        self.keys(dialog, "Return")
        self.wait_logged_in(1)
        self.assertEqual(d.read_setting("User"), "demo")
        self.assertEqual(d.read_setting("Adrs"), address)
        self.assertIsNone(self.window_titled("Configuration", 1))

    def test_the_icon_menu_reaches_info_and_configuration(self):
        self.start(login=True)
        d = self.desktop

        self.tray_menu_command("i")
        info = self.window_titled("Info")
        self.assertIsNotNone(info, "no info dialog: %r" % d.windows())
        self.shows(info)
        d.screenshot(os.path.join(SHOTS, "info_dialog.png"))
        self.keys(info, "Return")
        self.assertTrue(self.closes("Info"), "Enter did not close the info dialog")

        self.tray_menu_command("c")
        config = self.window_titled("Configuration")
        self.assertIsNotNone(config, "no configuration dialog: %r" % d.windows())
        # Address, user name, password, then the autostart box.
        self.keys(config, "Tab", "Tab", "Tab", "space", "Return")
        autostart = os.path.join(d.env["XDG_CONFIG_HOME"], "autostart")
        entry = wait_until(lambda: [f for f in os.listdir(autostart) if f.endswith(".desktop")]
                           if os.path.isdir(autostart) else None, 10)
        self.assertTrue(entry, "no autostart entry was written")
        with open(os.path.join(autostart, entry[0]), encoding="utf-8") as f:
            self.assertIn(os.path.join(d.build, "bin", "quorvia"), f.read())
        # Nothing about the login changed: no new login. The menu answering
        # again means the dialog's command has ended.
        self.tray_menu_command("i")
        self.assertIsNotNone(self.window_titled("Info"))
        self.assertEqual(d.program_said("login: loading"), 1, self.program_log())
        self.assertEqual(d.console_state()["logins"], 1)

    def test_the_consoles_buttons_open_windows_that_close_on_their_own_the_main_one_logs_out(self):
        window = self.start(login=True)
        d = self.desktop
        # Configuration: a window of the program for the console's page;
        # Help is the browser's own business: a plain window with the session.
        for link, title in ((CONFIG_LINK, "PABX Console - Configuration"),
                            (HELP_LINK, "PABX Console - Help")):
            self.click_at(window, link)
            popup = self.window_titled(title)
            self.assertIsNotNone(popup, "%s: no window: %r" % (title, d.windows()))
            self.assertNotEqual(popup["id"], window["id"])
            if link == CONFIG_LINK:
                self.shows(popup)
                d.screenshot(os.path.join(SHOTS, "console_configuration.png"))
            # Its close box ends only this window.
            d._run_ok(["wmctrl", "-i", "-c", popup["id"]])
            self.assertTrue(self.closes(title), title)
            self.assertIsNone(self.program.poll())
            self.assertIsNotNone(d.window_of(self.program.pid))
        self.assertLess(self.close_and_wait(window), CLOSE_BOUND)
        self.assertEqual(d.console_state()["logouts"], 1)

    def test_the_readme_shows_the_page_built_into_the_program_and_quit_ends_both(self):
        self.start(login=True)
        d = self.desktop
        self.tray_menu_command("r")
        readme = self.window_titled(README)
        self.assertIsNotNone(readme, "no readme window: %r" % d.windows())
        # Wider than the main window's control and fully on screen.
        self.assertGreaterEqual(readme["x"], 0)
        self.assertGreaterEqual(readme["y"], 0)
        self.shows(readme)
        d.screenshot(os.path.join(SHOTS, "readme.png"))
        d._run_ok(["wmctrl", "-i", "-c", readme["id"]])
        self.assertTrue(self.closes(README))
        self.assertIsNone(self.program.poll())

        self.tray_menu_command("r")
        self.assertIsNotNone(self.window_titled(README), "no readme window: %r" % d.windows())
        self.tray_menu_command("q")
        self.assertTrue(self.ends(20), "the program still runs: %r" % d.windows())
        self.assertEqual(self.desktop.console_state()["logouts"], 1)


if __name__ == "__main__":
    unittest.main()
