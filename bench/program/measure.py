"""Whole-program figures against the local test console: start to logged in,
memory (PSS) of the process tree with the console loaded, and CPU over an idle
minute with the console polling, each beside a bare QWebEngineView showing the
same console. Run: python3 bench/program/measure.py --build build [--runs 5]"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import qvdesktop  # noqa: E402


def tree(pid):
    pids = [pid]
    for p in pids:
        try:
            with open("/proc/%d/task/%d/children" % (p, p)) as f:
                pids += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return pids


def pss_kib(pid):
    total = 0
    for p in tree(pid):
        try:
            with open("/proc/%d/smaps_rollup" % p) as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def cpu_seconds(pid):
    ticks = os.sysconf("SC_CLK_TCK")
    total = 0
    for p in tree(pid):
        try:
            with open("/proc/%d/stat" % p) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total / ticks


def run_once(desktop, argv_of, logged_in, idle_seconds):
    address = desktop.start_console()
    desktop.seed_settings(address, "demo", "demo")
    started = time.monotonic()
    proc = argv_of(address)
    ok = qvdesktop.wait_until(lambda: logged_in(desktop), 30, step=0.02)
    startup = time.monotonic() - started if ok else float("nan")
    time.sleep(5)  # the page settles
    memory = pss_kib(proc.pid) / 1024
    cpu0, t0 = cpu_seconds(proc.pid), time.monotonic()
    time.sleep(idle_seconds)
    cpu = 100 * (cpu_seconds(proc.pid) - cpu0) / (time.monotonic() - t0)
    proc.kill()
    proc.wait()
    desktop.console_proc.kill()
    desktop.console_proc.wait()
    return startup, memory, cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=int, default=60)
    args = parser.parse_args()
    desktop = qvdesktop.Desktop(args.build)
    desktop.env.pop("DISPLAY", None)
    desktop.start_full_desktop()
    import subprocess

    def program(_address):
        return desktop.start_program()

    def bare(address):
        # The bare view gets a session made by hand, so it shows the same
        # logged-in, polling console.
        import http.client
        import urllib.parse
        conn = http.client.HTTPConnection(address, timeout=10)
        conn.request("POST", "/login.asp", urllib.parse.urlencode({"un": "demo", "pw": "demo"}),
                     {"Content-Type": "application/x-www-form-urlencoded"})
        answer = conn.getresponse()
        cookie = answer.getheader("Set-Cookie").split(";")[0]
        answer.read()
        url = "http://%s/app-main.asp?app=3" % address
        return subprocess.Popen([os.path.join(args.build, "src", "backend", "qt", "reference",
                                              "qv-bare-view"), url, cookie],
                                env=desktop.program_env(), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def program_logged_in(d):
        return d.console_state()["logins"] > 0

    def page_requested(d):
        return d.console_state()["requests"].get("/vp-poll.asp", 0) > 0

    results = {"quorvia": [], "bare view": []}
    try:
        for _ in range(args.runs):
            results["quorvia"].append(run_once(desktop, program, program_logged_in, args.idle))
            results["bare view"].append(run_once(desktop, bare, page_requested, args.idle))
    finally:
        desktop.stop()
    for name, rows in results.items():
        print("%-10s start %.2f s  PSS %.0f MiB  idle CPU %.2f %%  (medians of %d)" % (
            name, statistics.median(r[0] for r in rows), statistics.median(r[1] for r in rows),
            statistics.median(r[2] for r in rows), len(rows)))
    q, b = results["quorvia"], results["bare view"]
    print("ratio PSS %.2f, idle CPU %.2f" % (
        statistics.median(r[1] for r in q) / statistics.median(r[1] for r in b),
        statistics.median(r[2] for r in q) / max(statistics.median(r[2] for r in b), 1e-9)))


if __name__ == "__main__":
    main()
