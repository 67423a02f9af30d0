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


def descendants(pid):
    children = {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % entry) as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, ValueError, IndexError):
            continue
        children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


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
        left = [pid for pid in started if alive(pid)]
        self.assertEqual(left, [], "left running: %r" % left)
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
