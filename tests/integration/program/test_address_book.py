"""Started with /wab, the real program finds callers in the user's address
book (libquorvia-wab.so over vCards) and names them in the notification."""

import os
import time
import unittest

from program_case import ProgramCase, wait_until

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
    def contacts(self):
        folder = os.path.join(self.desktop.workdir, "data", "quorvia", "contacts")
        os.makedirs(folder, exist_ok=True)
        return folder

    def test_a_call_from_a_contact_shows_the_contacts_name(self):
        with open(os.path.join(self.contacts(), "people.vcf"), "w", encoding="utf-8") as f:
            f.write(CARDS)
        window = self.start("/wab", Tooltip=1, Timeout=2, login=True)
        # The national form of the number matches earlier in Anna's card
        # than the international one in Bruno's.
        watch = self.call_announced(window, "0301234567", "Anna Berg")
        self.assertFalse([c for c in watch.calls("Notify") if "Bruno Keller" in c])

    def test_a_folder_of_ten_thousand_cards_does_not_stall_the_start(self):
        d = self.desktop
        contacts = self.contacts()
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
        self.wait_logged_in(1)
        self.call_announced(window, "0402009999", "Person 9999")


if __name__ == "__main__":
    unittest.main()
