"""Starts the test console with a demo user and Quorvia Browser against it, in
a throwaway folder, and shows the program's main job at once: a call raises
the hidden window, then, announced the other way, a call shows a desktop
notification. Without a display it brings its own (Xvfb, openbox, a tray host
and a notification daemon) and saves a screenshot of each announcement.
Ctrl+C, SIGTERM or a closed terminal (SIGHUP) end every process it started
and remove its folder."""

import argparse
import os
import shutil
import signal
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(__file__))
import qvdesktop  # noqa: E402
from qvdesktop import wait_until  # noqa: E402

CALLERS = [("0301234567", "Call"), ("+49891234567", "Call"), ("0612345678", "Transfer")]


class Stop(Exception):
    """A signal asked the demo to end."""


# The signal that ends the demo; later ones are ignored, so nothing cuts the
# clean-up short, not even a second Ctrl+C.
received = None


def on_signal(number, frame):
    global received
    if received is None:
        received = number
        raise Stop()


def say(text):
    # After a hang-up the terminal is gone; the demo still cleans up.
    try:
        print(text, flush=True)
    except OSError:
        pass


class Demo:
    def __init__(self, args):
        self.args = args
        self.desktop = qvdesktop.Desktop(args.build)
        self.own_display = not os.environ.get("DISPLAY")
        self.program = None
        self.shots = os.path.abspath(args.screenshots or os.path.join(args.build, "demo"))

    def logged_in(self, count):
        state = self.desktop.console_state()
        return state["logins"] >= count and state["requests"].get("/vp-buttons.asp", 0) >= count

    def start_program(self, logins, **settings):
        d = self.desktop
        d.seed_settings(d.console_address, "demo", "demo", Timeout=5, **settings)
        self.program = d.start_program()
        if not wait_until(lambda: self.logged_in(logins), 30):
            raise RuntimeError("the program did not log in; see %s" %
                               os.path.join(d.workdir, "quorvia.log"))
        time.sleep(1)  # the console's page completes right after its frames

    def stop_program(self):
        os.kill(self.program.pid, signal.SIGTERM)
        self.program.wait(timeout=15)

    def call(self, number, title):
        query = urllib.parse.urlencode({"row1": number, "row2": title, "duration": 6})
        self.desktop.sim("sim/call?" + query)

    def screenshot(self, name, what):
        if not self.own_display:
            return
        time.sleep(1)  # drawn
        path = os.path.join(self.shots, name)
        self.desktop.screenshot(path)
        say("Screenshot, %s: %s" % (what, path))

    def show_both_announcements(self):
        d = self.desktop
        # Hidden in the notification area, as the program mostly lives.
        self.start_program(1, Tooltip=0, Minimized=1)
        self.call(*CALLERS[0])
        raised = wait_until(lambda: d.window_of(self.program.pid), 15)
        say("A call raised the window" if raised else "The call did not raise the window!")
        self.screenshot("call-raises-the-window.png", "the call raised the window")
        # Announced by notification instead: the setting is read at start.
        self.stop_program()
        wait_until(lambda: not d.console_state()["call_active"], 10)
        self.start_program(2, Tooltip=1, Minimized=1)
        self.call(*CALLERS[1])
        shown = wait_until(lambda: d.notifications_shown(), 15) if self.own_display else True
        say("A call showed a notification" if shown else "The call showed no notification!")
        self.screenshot("call-shows-a-notification.png", "the call showed a notification")

    def run(self):
        d = self.desktop
        if self.own_display:
            d.start_full_desktop()
            os.makedirs(self.shots, exist_ok=True)
        address = d.start_console(extra=["--listen", "127.0.0.1:%d" % self.args.port]
                                  if self.args.port else [])
        say("Test console: http://%s/app-main.asp?app=3  (user demo, password demo)" % address)
        say("Folder (removed at the end): %s" % d.workdir)
        if self.own_display:
            say("No display here: a private X server %s" % d.env["DISPLAY"])
        self.show_both_announcements()
        say("A simulated call arrives every %d s; place one yourself with" % self.args.calls_every)
        say("  curl -X POST 'http://%s/sim/call?row1=0301234567&row2=Call'" % address)
        say("Ctrl+C ends the demo.")
        deadline = time.monotonic() + self.args.seconds if self.args.seconds else None
        next_call, caller = time.monotonic() + self.args.calls_every, 2
        while self.program.poll() is None and (deadline is None or time.monotonic() < deadline):
            if time.monotonic() >= next_call:
                self.call(*CALLERS[caller % len(CALLERS)])
                next_call, caller = next_call + self.args.calls_every, caller + 1
            time.sleep(0.5)

    def clean_up(self):
        self.desktop.stop()
        shutil.rmtree(self.desktop.workdir, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--calls-every", type=int, default=20)
    parser.add_argument("--screenshots", help="folder for them (default: BUILD/demo)")
    parser.add_argument("--seconds", type=int, default=0,
                        help="stop after this long (0: until Ctrl+C or the window closes)")
    args = parser.parse_args()

    global received
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, on_signal)
    demo = Demo(args)
    try:
        demo.run()
    except Stop:
        pass
    finally:
        received = received or 0
        demo.clean_up()
    if received:
        # Ended by the signal, as whoever sent it expects.
        signal.signal(received, signal.SIG_DFL)
        os.kill(os.getpid(), received)


if __name__ == "__main__":
    main()
