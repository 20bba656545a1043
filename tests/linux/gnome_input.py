#!/usr/bin/env python3
"""The mouse and keyboard of a headless GNOME Shell: a remote-desktop session of Mutter's, whose
devices count as input like real ones, taken only from the connection that made it. Reads lines
and prints "done LINE" (or "error LINE: WHY") for each:
    move DX DY    key CODE (evdev: Escape is 1)    button CODE (left 272, right 273)
    shield 1|0    org.gnome.ScreenSaver's ActiveChanged, which a headless shell never sends
Prints "input ready" first; the end of its input ends it and the session."""
import sys

from gi.repository import Gio, GLib

MUTTER = "org.gnome.Mutter.RemoteDesktop"
bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(path, interface, method, signature=None, args=None):
    parameters = GLib.Variant(signature, args) if signature else None
    return bus.call_sync(MUTTER, path, interface, method, parameters, None,
                         Gio.DBusCallFlags.NONE, 5000, None).unpack()


(session,) = call("/org/gnome/Mutter/RemoteDesktop", MUTTER, "CreateSession")


def notify(method, signature, args):
    call(session, MUTTER + ".Session", method, signature, args)


notify("Start", None, None)
# Mutter adds a session's devices to the seat at their first event, too late for a client to
# hear it: a press of code 0, no key or button, adds them now without counting as input.
notify("NotifyPointerButton", "(ib)", (0, True))
notify("NotifyKeyboardKeycode", "(ub)", (0, True))
print("input ready", flush=True)
for line in sys.stdin:
    words = line.split()
    try:
        if words[:1] == ["move"] and len(words) == 3:
            notify("NotifyPointerMotionRelative", "(dd)", (float(words[1]), float(words[2])))
        elif words[:1] in (["key"], ["button"]) and len(words) == 2:
            method, signature = (("NotifyKeyboardKeycode", "(ub)") if words[0] == "key"
                                 else ("NotifyPointerButton", "(ib)"))
            for pressed in (True, False):
                notify(method, signature, (int(words[1]), pressed))
        elif words[:1] == ["shield"] and len(words) == 2:
            bus.emit_signal(None, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver",
                            "ActiveChanged", GLib.Variant("(b)", (words[1] == "1",)))
            bus.flush_sync(None)
        else:
            raise ValueError("not a command")
    except (ValueError, OverflowError, GLib.Error) as error:
        print(f"error {' '.join(words)}: {error}", flush=True)
        continue
    print(f"done {' '.join(words)}", flush=True)
