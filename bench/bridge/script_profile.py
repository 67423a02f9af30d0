#!/usr/bin/env python3
"""Where the renderer's main thread spends its time on a polling page: samples
bridge_poll_cost's renderer with the engine's own JavaScript profiler and
splits the time into the bridge's scripts (by function, inclusive of what they
call into the engine for), the page's own scripts and the rest.

The per-thread CPU of measure.py says how much the bridge costs; this says
where, to a tenth of a millisecond per poll, which the thread clocks of a
small machine cannot.

Run: python3 bench/bridge/script_profile.py --build build [--mode bridge|bare]
     [--seconds 15] [--period 200]"""

import argparse
import base64
import collections
import json
import os
import socket
import struct
import subprocess
import sys
import time
import urllib.request


class DevTools:
    """Just enough of a WebSocket client for the engine's debugging protocol."""

    def __init__(self, port, path):
        self.sock = socket.create_connection(("127.0.0.1", port))
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((
            "GET %s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
            "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n"
            % (path, port, key)).encode())
        self.buf = b""
        while b"\r\n\r\n" not in self.buf:
            self.buf += self._recv()
        status = self.buf.split(b"\r\n", 1)[0]
        if b" 101 " not in status:
            raise RuntimeError("no WebSocket: %r" % status)
        self.buf = self.buf.split(b"\r\n\r\n", 1)[1]
        self.last_id = 0

    def _recv(self):
        data = self.sock.recv(1 << 20)
        if not data:
            raise EOFError("the engine closed the connection")
        return data

    def _take(self, n):
        while len(self.buf) < n:
            self.buf += self._recv()
        out, self.buf = self.buf[:n], self.buf[n:]
        return out

    def _send(self, obj):
        data = json.dumps(obj).encode()
        n = len(data)
        if n < 126:
            head = bytes([0x81, 0x80 | n])
        elif n < 65536:
            head = bytes([0x81, 0x80 | 126]) + struct.pack(">H", n)
        else:
            head = bytes([0x81, 0x80 | 127]) + struct.pack(">Q", n)
        mask = os.urandom(4)
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def _message(self):
        payload = b""
        while True:
            first, second = self._take(2)
            n = second & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._take(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._take(8))[0]
            payload += self._take(n)
            if first & 0x80:
                return json.loads(payload)

    def call(self, method, params=None):
        self.last_id += 1
        self._send({"id": self.last_id, "method": method, "params": params or {}})
        while True:
            message = self._message()
            if message.get("id") == self.last_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message["result"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def page_target(port, deadline):
    while time.monotonic() < deadline:
        try:
            targets = json.load(urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port))
            pages = [t for t in targets if t.get("type") == "page"]
            if pages:
                return pages[0]["webSocketDebuggerUrl"].split(str(port), 1)[1]
        except OSError:
            pass
        time.sleep(0.2)
    raise RuntimeError("the engine's debugging port never answered")


def split(profile):
    """Microseconds by (group, function): the bridge's scripts are charged with
    everything under them; a sample outside them goes to its own function."""
    nodes = {n["id"]: n for n in profile["nodes"]}
    parent = {c: n["id"] for n in profile["nodes"] for c in n.get("children", [])}
    spent = collections.Counter()
    for sample, delta in zip(profile["samples"], profile["timeDeltas"][1:] + [0]):
        spent[sample] += delta
    out = collections.Counter()
    for node, us in spent.items():
        leaf = nodes[node]["callFrame"]
        ours = None
        walk = node
        while walk in nodes:
            frame = nodes[walk]["callFrame"]
            if frame["url"].startswith("userscript:"):
                ours = frame  # keeps the innermost of the bridge's frames
                break
            walk = parent.get(walk)
        if ours:
            where = ours["url"][len("userscript:"):]
            out[("bridge", "%s %s" % (where, ours["functionName"] or "(anonymous)"))] += us
        elif leaf["functionName"] == "(idle)":
            out[("idle", "")] += us
        elif leaf["url"]:
            out[("page", os.path.basename(leaf["url"]) or leaf["url"])] += us
        else:
            out[("engine", leaf["functionName"] or "(anonymous)")] += us
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--mode", choices=("bridge", "bare"), default="bridge")
    parser.add_argument("--seconds", type=int, default=15)
    parser.add_argument("--period", type=int, default=200, help="the poll period in ms")
    args = parser.parse_args()

    port = free_port()
    env = dict(os.environ, QTWEBENGINE_REMOTE_DEBUGGING=str(port))
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    bench = os.path.join(os.path.abspath(args.build), "bench", "bridge", "bridge_poll_cost")
    proc = subprocess.Popen([bench, args.mode, str(args.seconds + 15), str(args.period)],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        tools = DevTools(port, page_target(port, time.monotonic() + 30))
        time.sleep(3)  # the frameset loads
        tools.call("Profiler.enable")
        tools.call("Profiler.setSamplingInterval", {"interval": 50})
        tools.call("Profiler.start")
        time.sleep(args.seconds)
        profile = tools.call("Profiler.stop")["profile"]
    finally:
        proc.kill()
        proc.wait()

    polls = args.seconds * 1000 / args.period
    spent = split(profile)
    groups = collections.Counter()
    for (group, _), us in spent.items():
        groups[group] += us
    print("%s, %d s at a poll every %d ms (about %d polls), renderer main thread, ms a poll:"
          % (args.mode, args.seconds, args.period, polls))
    for group in ("bridge", "page", "engine"):
        print("  %-7s %6.3f" % (group, groups[group] / 1000 / polls))
    print("the bridge's scripts, by function (inclusive of the engine calls they make):")
    ours = sorted(((us, name) for (group, name), us in spent.items() if group == "bridge"),
                  reverse=True)
    for us, name in ours[:15]:
        print("  %6.3f  %s" % (us / 1000 / polls, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
