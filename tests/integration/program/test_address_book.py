"""Started with /wab, the real program finds callers in the user's address
book (libquorvia-wab.so over vCards) and names them in the notification."""

import os
import time
import unittest

from program_case import NotificationWatch, ProgramCase, wait_until

# Generous against a loaded machine; a book that stalls the start (it took
# 20 s for a folder of 10,000 one-card files) does not pass.
START_BOUND = 6.0

CARDS = """BEGIN:VCARD
VERSION:3.0
FN:Bruno Keller
TEL;TYPE=work:+49 30 1234567
END:VCARD
BEGIN:VCARD
VERSION:3.0
FN:Anna Berg
N:Berg;Anna;;;
TEL;TYPE=home:030 1234567
END:VCARD
"""


class AddressBookTest(ProgramCase):
    def call_names(self, window, number, name):
        """Hidden in the notification area, a call from number shows name;
        the notifications seen, for more checks."""
        self.wait_logged_in(1)
        self.hide_with_escape(window)
        watch = NotificationWatch(self.desktop.env)
        self.addCleanup(watch.stop)
        self.desktop.sim("sim/call?row1=%s&row2=Call&duration=4" % number)
        shown = wait_until(lambda: [c for c in watch.calls("Notify") if name in c], 15)
        self.assertTrue(shown, "no notification with the name: %r" % watch.lines[-30:])
        return watch.calls("Notify")

    def test_a_call_from_a_contact_shows_the_contacts_name(self):
        self.fresh_settings("wab")
        contacts = os.path.join(self.desktop.workdir, "data", "quorvia", "contacts")
        os.makedirs(contacts, exist_ok=True)
        with open(os.path.join(contacts, "people.vcf"), "w", encoding="utf-8") as f:
            f.write(CARDS)
        window = self.start("/wab", Tooltip=1, Timeout=2)
        # The national form of the number matches earlier in Anna's card
        # than the international one in Bruno's.
        notified = self.call_names(window, "0301234567", "Anna Berg")
        self.assertFalse([c for c in notified if "Bruno Keller" in c])

    def test_a_folder_of_ten_thousand_cards_does_not_stall_the_start(self):
        self.fresh_settings("wab-folder")
        d = self.desktop
        contacts = os.path.join(d.workdir, "data", "quorvia", "contacts")
        os.makedirs(contacts, exist_ok=True)
        for i in range(10000):
            with open(os.path.join(contacts, "%05d.vcf" % i), "w", encoding="utf-8") as f:
                f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person %d\r\n"
                        "TEL;TYPE=work:040 %07d\r\nEND:VCARD\r\n" % (i, 2000000 + i))
        self.console = d.start_console()
        d.seed_settings(self.console, "demo", "demo", Tooltip=1, Timeout=2)
        started = time.monotonic()
        self.program = d.start_program("/wab")
        window = wait_until(lambda: d.window_of(self.program.pid), 20, step=0.02)
        shown = time.monotonic() - started
        logged_in = wait_until(lambda: d.console_state()["logins"] >= 1, 20, step=0.02)
        reached = time.monotonic() - started
        print("10,000 one-card files: window after %.2f s, logged in after %.2f s" %
              (shown, reached))
        self.assertIsNotNone(window, "the main window never appeared")
        self.assertTrue(logged_in, "the console was never reached")
        self.assertLess(shown, START_BOUND)
        self.assertLess(reached, START_BOUND)
        # The whole book is there: the last card names its caller.
        self.call_names(window, "0402009999", "Person 9999")


if __name__ == "__main__":
    unittest.main()
