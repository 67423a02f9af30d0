"""The configuration and info dialogs of the real program: a first start
asks for the user, the icon's menu reaches both dialogs, and what the user
confirms is stored."""

import os
import re
import subprocess
import unittest

from program_case import SHOTS, ProgramCase, wait_until


class DialogsTest(ProgramCase):
    def window_titled(self, title, timeout=15):
        d = self.desktop
        return wait_until(lambda: next((w for w in d.windows()
                                        if w["pid"] == self.program.pid and
                                        w["title"] == title), None), timeout)

    def keys(self, window, *keys):
        d = self.desktop
        d._run_ok(["xdotool", "windowactivate", "--sync", str(int(window["id"], 16))])
        if keys:
            d._run_ok(["xdotool", "key", "--clearmodifiers"] + list(keys))

    def type_text(self, text):
        self.desktop._run_ok(["xdotool", "type", "--delay", "30", text])

    def tray_menu_command(self, mnemonic):
        """Right-clicks the notification icon (the tray panel holds only
        ours) and takes a menu item by its mnemonic."""
        d = self.desktop
        panel = next((w for w in d.windows() if w["title"] == "panel"), None)
        self.assertIsNotNone(panel, "no tray panel: %r" % d.windows())
        self.menu_command(["mousemove", str(panel["x"] + panel["w"] // 2),
                           str(panel["y"] + panel["h"] // 2), "click", "3"], mnemonic)

    def test_a_first_start_asks_for_the_user_and_then_logs_in(self):
        self.fresh_settings("firststart")
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
        self.type_text(address)
        self.keys(dialog, "Tab")
        self.type_text("demo")
        self.keys(dialog, "Tab")
        self.type_text("demo")
        self.keys(dialog, "Return")
        self.wait_logged_in(1)
        self.assertEqual(d.read_setting("User"), "demo")
        self.assertEqual(d.read_setting("Adrs"), address)
        self.assertIsNone(self.window_titled("Configuration", 1))

    def test_the_icon_menu_reaches_info_and_configuration(self):
        self.fresh_settings("iconmenu")
        self.start()
        self.wait_logged_in(1)
        d = self.desktop

        self.tray_menu_command("i")
        info = self.window_titled("Info")
        self.assertIsNotNone(info, "no info dialog: %r" % d.windows())
        self.shows(info)
        d.screenshot(os.path.join(SHOTS, "info_dialog.png"))
        self.keys(info, "Return")
        self.assertTrue(wait_until(lambda: self.window_titled("Info", 0.2) is None, 5),
                        "Enter did not close the info dialog")

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
        self.assertEqual(self.logins(), 1)

    def click_console_link(self, window, link):
        d = self.desktop
        geometry = subprocess.run(["xdotool", "getwindowgeometry", str(int(window["id"], 16))],
                                  env=d.env, capture_output=True, text=True).stdout
        pos = re.search(r"Position: (\d+),(\d+)", geometry)
        x, y = int(pos.group(1)), int(pos.group(2))
        d._run_ok(["xdotool", "mousemove", str(x + link[0]), str(y + link[1]), "click", "1"])

    def test_the_consoles_buttons_open_windows_that_close_on_their_own(self):
        self.fresh_settings("consolewindows")
        window = self.start()
        self.wait_logged_in(1)
        d = self.desktop
        # Configuration: a window of the program for the console's page.
        self.click_console_link(window, CONFIG_LINK)
        popup = self.window_titled("PABX Console - Configuration")
        self.assertIsNotNone(popup, "no window for the console's page: %r" % d.windows())
        self.assertNotEqual(popup["id"], window["id"])
        self.shows(popup)
        d.screenshot(os.path.join(SHOTS, "console_configuration.png"))
        # Its close box ends only this window.
        d._run_ok(["wmctrl", "-i", "-c", popup["id"]])
        self.assertTrue(wait_until(lambda: self.window_titled(
            "PABX Console - Configuration", 0.2) is None, 10))
        self.assertIsNone(self.program.poll())
        self.assertIsNotNone(d.window_of(self.program.pid))

        # Help is the browser's own business: a plain window with the session.
        self.click_console_link(window, HELP_LINK)
        help_window = self.window_titled("PABX Console - Help")
        self.assertIsNotNone(help_window, "the Help button opened nothing: %r" % d.windows())
        d._run_ok(["wmctrl", "-i", "-c", help_window["id"]])
        self.assertTrue(wait_until(lambda: self.window_titled(
            "PABX Console - Help", 0.2) is None, 10))
        self.assertIsNone(self.program.poll())

    def test_readme_shows_the_page_built_into_the_program(self):
        self.fresh_settings("readme")
        self.start()
        self.wait_logged_in(1)
        d = self.desktop
        self.tray_menu_command("r")
        readme = self.window_titled("Quorvia Browser \u2013 Readme")
        self.assertIsNotNone(readme, "no readme window: %r" % d.windows())
        # Wider than the main window's control and fully on screen.
        self.assertGreaterEqual(readme["x"], 0)
        self.assertGreaterEqual(readme["y"], 0)
        self.shows(readme)
        d.screenshot(os.path.join(SHOTS, "readme.png"))
        d._run_ok(["wmctrl", "-i", "-c", readme["id"]])
        self.assertTrue(wait_until(lambda: self.window_titled(
            "Quorvia Browser \u2013 Readme", 0.2) is None, 10))
        self.assertIsNone(self.program.poll())

    def test_quit_with_the_readme_open_ends_both(self):
        self.fresh_settings("readmequit")
        self.start()
        self.wait_logged_in(1)
        d = self.desktop
        self.tray_menu_command("r")
        self.assertIsNotNone(self.window_titled("Quorvia Browser \u2013 Readme"),
                             "no readme window: %r" % d.windows())
        self.tray_menu_command("q")
        self.assertTrue(wait_until(lambda: self.program.poll() is not None, 20, step=0.05),
                        "the program still runs: %r" % d.windows())
        self.assertEqual(self.desktop.console_state()["logouts"], 1)


# The console's Configuration and Help links, from the window position
# xdotool reports (the same reference as the Exit link of the automation tests).
CONFIG_LINK = (321, 2)
HELP_LINK = (30, 21)

if __name__ == "__main__":
    unittest.main()
