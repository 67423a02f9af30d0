"""The demo that `bash scripts/demo.sh` runs once it has built: both ways of
announcing a call within its first seconds, and a closed terminal or Ctrl+C
ends every process it started and removes its folder."""

import os
import re
import signal
import subprocess
import sys
import threading
import time
import unittest

from program_case import BUILD, SHOTS, wait_until

DEMO = os.path.join(os.path.dirname(__file__), "..", "..", "..", "scripts", "run_demo.py")


def running():
    """The parent of each running process (a zombie has ended), by its id."""
    out = subprocess.run(["ps", "-e", "-o", "pid=,ppid=,stat="], capture_output=True,
                         text=True).stdout
    rows = (line.split() for line in out.splitlines())
    return {int(pid): int(ppid) for pid, ppid, stat in rows if not stat.startswith("Z")}


def descendants(pid):
    parents, found = running(), {pid}
    while more := {child for child, parent in parents.items() if parent in found} - found:
        found |= more
    return found - {pid}


class DemoTest(unittest.TestCase):
    def start(self):
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        # As from a terminal: a session and process group of its own.
        self.demo = subprocess.Popen(
            [sys.executable, DEMO, "--build", BUILD, "--screenshots", os.path.join(SHOTS, "demo")],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
            start_new_session=True)
        self.addCleanup(self.stop)
        self.lines = []
        threading.Thread(target=lambda: self.lines.extend(self.demo.stdout), daemon=True).start()

    def stop(self):
        if self.demo.poll() is None:
            os.killpg(self.demo.pid, signal.SIGTERM)
            self.demo.wait(40)

    def printed(self, pattern, timeout):
        match = wait_until(lambda: next(filter(None, (re.search(pattern, line)
                                                      for line in list(self.lines))), None),
                           timeout)
        self.assertIsNotNone(match, "demo printed no %r: %s" % (pattern, "".join(self.lines)))
        return match

    def end_with(self, number):
        """Sends the signal as the terminal does and checks what is left."""
        folder = self.printed(r"Folder \(removed at the end\): (\S+)", 30).group(1)
        started = descendants(self.demo.pid)
        self.assertTrue(started)
        os.killpg(self.demo.pid, number)
        self.assertTrue(wait_until(lambda: self.demo.poll() is not None, 40),
                        "the demo did not end: %s" % "".join(self.lines))
        self.assertEqual(self.demo.returncode, -number)
        left = started & running().keys()
        self.assertEqual(left, set(), "left running: %r" % left)
        self.assertFalse(os.path.exists(folder))

    def test_announces_a_call_both_ways_at_once_and_a_hang_up_ends_it_all(self):
        began = time.monotonic()
        self.start()
        shots = [self.printed("Screenshot, the call %s: (\\S+)" % what, 90).group(1)
                 for what in ("raised the window", "showed a notification")]
        took = time.monotonic() - began
        self.assertLess(took, 60)
        for shot in shots:
            self.assertGreater(os.path.getsize(shot), 1000, shot)
        self.printed("Ctrl.C ends the demo", 10)
        self.end_with(signal.SIGHUP)
        print("\ndemo: both announcements shown %.1f s after its start" % took, file=sys.stderr)

    def test_ctrl_c_while_it_starts_ends_it_all(self):
        self.start()
        self.printed("Test console: ", 60)
        self.end_with(signal.SIGINT)


if __name__ == "__main__":
    unittest.main()
