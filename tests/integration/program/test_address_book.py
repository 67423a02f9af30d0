"""Started with /wab, the real program finds callers in the user's address
book (libquorvia-wab.so over vCards) and names them in the notification."""

import os
import time
import unittest

from program_case import NotificationWatch, ProgramCase, wait_until

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
    def test_a_call_from_a_contact_shows_the_contacts_name(self):
        self.fresh_settings("wab")
        d = self.desktop
        contacts = os.path.join(self.desktop.workdir, "data", "quorvia", "contacts")
        os.makedirs(contacts, exist_ok=True)
        with open(os.path.join(contacts, "people.vcf"), "w", encoding="utf-8") as f:
            f.write(CARDS)
        window = self.start("/wab", Tooltip=1, Timeout=2)
        self.wait_logged_in(1)
        self.hide_with_escape(window)
        watch = NotificationWatch(d.env)
        self.addCleanup(watch.stop)
        time.sleep(0.5)
        d.sim("sim/call?row1=0301234567&row2=Call&duration=4")
        # The national form of the number matches earlier in Anna's card
        # than the international one in Bruno's.
        shown = wait_until(lambda: [c for c in watch.calls("Notify") if "Anna Berg" in c], 15)
        self.assertTrue(shown, "no notification with the name: %r" % watch.lines[-30:])
        self.assertFalse([c for c in watch.calls("Notify") if "Bruno Keller" in c])


if __name__ == "__main__":
    unittest.main()
