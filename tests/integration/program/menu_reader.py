"""Opens the context menu at a point of the screen and prints its item texts
as JSON, read from the accessibility bus as a screen reader reads them.
Runs under the system's Python (python3-gi); the program must run with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same session bus.

    menu_reader.py X Y
    menu_reader.py --start-bus    (before the program: starts the bus's registry)
"""

import json
import subprocess
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

TIMEOUT_MS = 40000
items = []
presses = 0


def on_focus(event):
    # A popup menu is no child of its application on the bus: it is found
    # through its item that takes the focus.
    menu = event.source.get_parent() if event.source else None
    if menu is not None and menu.get_role_name() in ("popup menu", "menu") and not items:
        items.extend(menu.get_child_at_index(i).get_name() or ""
                     for i in range(menu.get_child_count()))
        loop.quit()


def open_menu():
    subprocess.run(["xdotool", "mousemove", sys.argv[1], sys.argv[2], "click", "3"], check=True)
    GLib.timeout_add(500, step_into_menu)
    return False


def step_into_menu():
    # Each Down moves the focus to the next item: until one reports. A menu
    # that did not open (the page was busy) is asked for again.
    global presses
    presses += 1
    if presses % 8 == 0:
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        GLib.timeout_add(300, open_menu)
        return False
    subprocess.run(["xdotool", "key", "Down"], check=True)
    return not items


if sys.argv[1] == "--start-bus":
    Atspi.get_desktop(0).get_child_count()
    sys.exit(0)

listener = Atspi.EventListener.new(on_focus)
listener.register("object:state-changed:focused")
loop = GLib.MainLoop()
GLib.timeout_add(300, open_menu)
GLib.timeout_add(TIMEOUT_MS, loop.quit)
loop.run()
print(json.dumps(items))
