"""Whole-program figures against the local test console, side by side with a
bare QWebEngineView on the same console in the same run: start to logged in,
and over an idle stretch with the console polling, the memory (PSS) of each
process tree, averaged, and its CPU, split per process kind and thread so an
excess can be traced.
Run: python3 bench/program/measure.py --build build [--runs 3] [--idle 60] [--poll-ms 3000]
     [--settle 30]"""

import argparse
import collections
import http.client
import json
import os
import statistics
import subprocess
import sys
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import qvdesktop  # noqa: E402

PSS_EVERY_SECONDS = 5


def tree(pid):
    pids = [pid]
    for p in pids:
        try:
            with open("/proc/%d/task/%d/children" % (p, p)) as f:
                pids += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return pids


def pss_kib(root):
    """PSS of every process of the tree, keyed by process kind."""
    out = collections.Counter()
    for pid in tree(root):
        try:
            with open("/proc/%d/smaps_rollup" % pid) as f:
                for line in f:
                    if line.startswith("Pss:"):
                        out[process_kind(pid, root)] += int(line.split()[1])
        except OSError:
            pass
    return out


def mappings_kib(root):
    """PSS by mapping (file name, or [heap] and anonymous memory), keyed by
    (process kind, mapping), for finding where a tree's memory goes."""
    out = collections.Counter()
    for pid in tree(root):
        kind = process_kind(pid, root)
        name = None
        try:
            with open("/proc/%d/smaps" % pid) as f:
                for line in f:
                    fields = line.split()
                    if not fields:
                        continue
                    if not fields[0].endswith(":") or "-" in fields[0]:
                        name = os.path.basename(fields[5]) if len(fields) > 5 else "[anon]"
                        if name.startswith(".org.chromium."):
                            name = "[shared memory]"  # random names
                    elif fields[0] == "Pss:":
                        out[(kind, name)] += int(fields[1])
        except OSError:
            pass
    return out


def process_kind(pid, root):
    if pid == root:
        return "program"
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            args = f.read().replace(b"\0", b" ").split()
    except OSError:
        return "gone"
    for arg in args:
        if arg.startswith(b"--type="):
            return arg[7:].decode()
    return os.path.basename(args[0].decode(errors="replace")) if args else "?"


def thread_seconds(root):
    """CPU seconds of every thread of the tree, keyed by (process kind, thread
    name); threads of the same name in one process kind add up. Read from
    schedstat, which counts nanoseconds: the clock ticks of stat sample, and
    over a minute of a mostly idle tree that sampling alone is off by a fifth."""
    out = collections.Counter()
    for pid in tree(root):
        kind = process_kind(pid, root)
        try:
            tids = os.listdir("/proc/%d/task" % pid)
        except OSError:
            continue
        for tid in tids:
            try:
                with open("/proc/%d/task/%s/stat" % (pid, tid)) as f:
                    text = f.read()
                with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                    nanoseconds = int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                continue
            name = "main" if tid == str(pid) else text[text.index("(") + 1:text.rindex(")")]
            out[(kind, name)] += nanoseconds / 1e9
    return out


def console_state(address):
    conn = http.client.HTTPConnection(address, timeout=10)
    conn.request("GET", "/sim/state")
    return json.loads(conn.getresponse().read().decode())


def session_cookie(address):
    """A logged-in session made by hand, so the bare view shows the same
    logged-in, polling console as the program."""
    conn = http.client.HTTPConnection(address, timeout=10)
    conn.request("POST", "/login.asp", urllib.parse.urlencode({"un": "demo", "pw": "demo"}),
                 {"Content-Type": "application/x-www-form-urlencoded"})
    answer = conn.getresponse()
    cookie = answer.getheader("Set-Cookie").split(";")[0]
    answer.read()
    return cookie


def polls(address):
    return console_state(address)["requests"].get("/vp-poll.asp", 0)


def run_once(desktop, build, idle_seconds, poll_ms, settle_seconds, show_mappings=False):
    """Both trees start together and are measured over the same stretch."""
    extra = ("--poll-ms", str(poll_ms))
    ours = desktop.start_console(extra=extra)
    consoles = [desktop.console_proc]
    theirs = desktop.start_console(extra=extra)
    consoles.append(desktop.console_proc)
    desktop.seed_settings(ours, "demo", "demo")
    started = {"quorvia": time.monotonic()}
    program = desktop.start_program()
    # The bare view gets the size of the program's window, so both show as
    # much of the console.
    window = qvdesktop.wait_until(lambda: desktop.window_of(program.pid), 30, step=0.02)
    size = "%dx%d" % (window["w"], window["h"]) if window else "366x522"
    started["bare view"] = time.monotonic()
    view = subprocess.Popen(
        [os.path.join(build, "src", "backend", "qt", "reference", "qv-bare-view"),
         "http://%s/app-main.asp?app=3" % theirs, session_cookie(theirs), size],
        env=desktop.program_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    starts = {}
    try:
        def settled():
            if "quorvia" not in starts and console_state(ours)["logins"] > 0:
                starts["quorvia"] = time.monotonic() - started["quorvia"]
            if "bare view" not in starts and polls(theirs) > 0:
                starts["bare view"] = time.monotonic() - started["bare view"]
            return len(starts) == 2
        if not qvdesktop.wait_until(settled, 60, step=0.02):
            raise RuntimeError("not both consoles came up: %r" % starts)
        # The renderers collect the login pages' garbage within about 30 s.
        time.sleep(settle_seconds)
        roots = {"quorvia": program.pid, "bare view": view.pid}
        if show_mappings:
            mine, other = mappings_kib(program.pid), mappings_kib(view.pid)
            diff = [(mine.get(k, 0) - other.get(k, 0), k) for k in set(mine) | set(other)]
            print("PSS by mapping, quorvia against the bare view (KiB):")
            for d, (kind, name) in sorted(diff, reverse=True)[:25]:
                print("  %-10s %-40s %8d %8d %+8d" % (kind, name, mine.get((kind, name), 0),
                                                      other.get((kind, name), 0), d))
        before = {name: thread_seconds(pid) for name, pid in roots.items()}
        polls0 = {"quorvia": polls(ours), "bare view": polls(theirs)}
        # PSS is sampled across the stretch: a renderer's heap rises and falls
        # by several MiB between its garbage collections, so one reading
        # depends on when it is taken.
        samples = {name: [] for name in roots}
        t0 = time.monotonic()
        while True:
            for name, pid in roots.items():
                samples[name].append(pss_kib(pid))
            left = t0 + idle_seconds - time.monotonic()
            if left <= 0:
                break
            time.sleep(min(left, PSS_EVERY_SECONDS))
        elapsed = time.monotonic() - t0
        after = {name: thread_seconds(pid) for name, pid in roots.items()}
        result = {}
        for name, pid in roots.items():
            threads = after[name]
            threads.subtract(before[name])
            address = ours if name == "quorvia" else theirs
            kinds = {k for sample in samples[name] for k in sample}
            memory = {k: statistics.mean(sample.get(k, 0) for sample in samples[name])
                      for k in kinds}
            result[name] = {
                "start": starts[name],
                "pss": sum(memory.values()) / 1024,
                "pss_split": {k: v / 1024 for k, v in memory.items()},
                "cpu": sum(threads.values()),
                "per_minute": 60 / elapsed,
                "polls": polls(address) - polls0[name],
                "threads": {k: v for k, v in threads.items() if v > 0},
            }
        return result
    finally:
        for proc in [program, view] + consoles:
            proc.kill()
            proc.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--idle", type=int, default=60)
    parser.add_argument("--poll-ms", type=int, default=3000,
                        help="the console's poll period")
    parser.add_argument("--settle", type=int, default=30,
                        help="seconds between logged in and measuring")
    parser.add_argument("--mappings", action="store_true",
                        help="also list PSS by mapping where the trees differ most")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    desktop = qvdesktop.Desktop(build)
    desktop.env.pop("DISPLAY", None)
    desktop.start_full_desktop()
    runs = []
    try:
        for _ in range(args.runs):
            runs.append(run_once(desktop, build, args.idle, args.poll_ms, args.settle,
                                 args.mappings))
    finally:
        desktop.stop()

    names = ("quorvia", "bare view")
    for name in names:
        rows = [r[name] for r in runs]
        print("%-10s start %.2f s  PSS %.0f MiB  CPU %.2f s in %d s (%d polls)  "
              "(medians of %d)" % (
                  name, statistics.median(r["start"] for r in rows),
                  statistics.median(r["pss"] for r in rows),
                  statistics.median(r["cpu"] for r in rows), args.idle,
                  statistics.median(r["polls"] for r in rows), len(rows)))
    for i, r in enumerate(runs):
        print("run %d: PSS ratio %.3f, CPU ratio %.3f (%.2f s against %.2f s)" % (
            i + 1, r["quorvia"]["pss"] / r["bare view"]["pss"],
            r["quorvia"]["cpu"] / max(r["bare view"]["cpu"], 1e-9), r["quorvia"]["cpu"],
            r["bare view"]["cpu"]))

    def median_of(key):
        return statistics.median(r["quorvia"][key] / max(r["bare view"][key], 1e-9)
                                 for r in runs)
    print("median ratios: PSS %.3f, CPU %.3f" % (median_of("pss"), median_of("cpu")))

    print("PSS per process kind (MiB, medians):", ", ".join(
        "%s %.1f/%.1f" % (kind, statistics.median(r["quorvia"]["pss_split"].get(kind, 0)
                                                  for r in runs),
                          statistics.median(r["bare view"]["pss_split"].get(kind, 0)
                                            for r in runs))
        for kind in sorted({k for r in runs for n in names for k in r[n]["pss_split"]})))

    # Per thread, CPU seconds a minute, medians over the runs; the threads
    # where the program spends more than the bare view first.
    keys = set()
    for r in runs:
        for name in names:
            keys.update(r[name]["threads"])

    def per_minute(name, key):
        return statistics.median(r[name]["threads"].get(key, 0) * r[name]["per_minute"]
                                 for r in runs)
    table = [(per_minute("quorvia", k) - per_minute("bare view", k), k) for k in keys]
    print("%-34s %9s %9s %9s   (CPU s/min)" % ("process / thread", "quorvia", "bare", "excess"))
    for excess, (kind, thread) in sorted(table, reverse=True):
        ours, theirs = per_minute("quorvia", (kind, thread)), per_minute("bare view",
                                                                          (kind, thread))
        if max(ours, theirs) < 0.005:
            continue
        print("%-34s %9.3f %9.3f %+9.3f" % ("%s / %s" % (kind, thread), ours, theirs, excess))


if __name__ == "__main__":
    main()
