"""Starts the test console with a demo user and Quorvia Browser against it, in
a throwaway settings folder. Without a display it brings its own (Xvfb,
openbox, a tray host and a notification daemon) and saves a screenshot."""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import qvdesktop  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--calls-every", type=int, default=20)
    parser.add_argument("--seconds", type=int, default=0,
                        help="stop after this long (0: until Ctrl+C or the window closes)")
    args = parser.parse_args()

    desktop = qvdesktop.Desktop(args.build)
    own_display = not os.environ.get("DISPLAY")
    try:
        if own_display:
            desktop.start_full_desktop()
        address = desktop.start_console(
            extra=["--calls-every", str(args.calls_every)] +
            (["--listen", "127.0.0.1:%d" % args.port] if args.port else []))
        desktop.seed_settings(address, "demo", "demo")
        program = desktop.start_program()
        print("Test console: http://%s/app-main.asp?app=3  (user demo, password demo)" % address)
        print("Settings folder (throwaway): %s" % desktop.env["XDG_CONFIG_HOME"])
        print("A simulated call arrives every %d s; place one yourself with" % args.calls_every)
        print("  curl -X POST 'http://%s/sim/call?row1=0301234567&row2=Call'" % address)
        if own_display:
            shot = os.path.join(desktop.workdir, "quorvia-demo.png")
            qvdesktop.wait_until(lambda: desktop.window_of(program.pid), 20)
            time.sleep(6)
            desktop.screenshot(shot)
            print("No display here: running on a private X server %s; screenshot saved to %s"
                  % (desktop.env["DISPLAY"], shot))
        deadline = time.monotonic() + args.seconds if args.seconds else None
        while program.poll() is None and (deadline is None or time.monotonic() < deadline):
            time.sleep(0.5)
    except KeyboardInterrupt:
        pass
    finally:
        desktop.stop()


if __name__ == "__main__":
    main()
