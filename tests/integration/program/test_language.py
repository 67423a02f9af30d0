"""Qt's and the web engine's own texts follow the user's language: the page's
context menu, read from the accessibility bus as a screen reader reads it."""

import json
import os
import subprocess
import unittest

from program_case import SHOTS, ProgramCase

READER = os.path.join(os.path.dirname(__file__), "menu_reader.py")


class LanguageTest(ProgramCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        # The program registers with the bus's registry when it starts.
        subprocess.run(["/usr/bin/python3", READER, "--start-bus"], env=cls.desktop.env,
                       check=True, timeout=60)

    def context_menu(self, lang, language, shot=None):
        d = self.desktop
        d.env["LANG"], d.env["LANGUAGE"] = lang, language
        window = self.start(login=True)
        x, y = window["x"] + window["w"] // 2, window["y"] + window["h"] // 2
        # python3-gi belongs to the system's Python.
        reader = subprocess.Popen(["/usr/bin/python3", READER, str(x), str(y)], env=d.env,
                                  stdout=subprocess.PIPE, text=True)
        out, _ = reader.communicate(timeout=90)
        if shot:
            d.screenshot(os.path.join(SHOTS, shot))
        self.xdotool("key", "Escape")
        items = [item for item in json.loads(out) if item]
        self.assertTrue(items, "no context menu was read")
        return items

    def test_a_german_session_gets_the_engines_menu_in_german(self):
        # LANGUAGE comes before LANG, and its first language the program has
        # texts in wins (none in Spanish; Austrian German finds German).
        items = self.context_menu("en_US.UTF-8", "es:de_AT", "context_menu_de.png")
        self.assertIn("Neu laden", items)
        self.assertNotIn("Reload", items)

    def test_the_c_locale_ignores_the_language_list(self):
        items = self.context_menu("C", "de")
        self.assertIn("Reload", items)


if __name__ == "__main__":
    unittest.main()
