#!/usr/bin/env python3
"""The mouse and the keyboard of a headless GNOME Shell, which has neither: a remote-desktop
session of Mutter's, whose virtual devices count as input like real ones. Reads lines from
stdin and carries each out:
    move DX DY     moves the pointer by DX, DY pixels
    key CODE       presses and releases a key, by its evdev code (Escape is 1)
    button CODE    presses and releases a button, by its evdev code (left 272, right 273,
                   middle 274)
    shield 1|0     says that GNOME's shield (its blank screen or lock) came up or went, as
                   org.gnome.ScreenSaver does, which a headless shell without a lock lacks
Prints "input ready" once the session runs, then "done LINE" or "error LINE: WHY" for each line,
so that a caller can wait for one to be carried out. Mutter takes a session's calls only from
the connection that created it, hence one process for all of them. Ends at the end of its input,
and the session with it."""
import sys

from gi.repository import Gio, GLib

MUTTER = "org.gnome.Mutter.RemoteDesktop"
TIMEOUT_MS = 5000


def call(bus, path, interface, method, signature=None, args=None):
    parameters = GLib.Variant(signature, args) if signature else None
    return bus.call_sync(MUTTER, path, interface, method, parameters, None,
                         Gio.DBusCallFlags.NONE, TIMEOUT_MS, None).unpack()


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    (session,) = call(bus, "/org/gnome/Mutter/RemoteDesktop", MUTTER, "CreateSession")
    session_interface = MUTTER + ".Session"

    def notify(method, signature, args):
        call(bus, session, session_interface, method, signature, args)

    call(bus, session, session_interface, "Start")
    # Mutter adds a session's pointer and keyboard to the seat at their first event, too late
    # for a client to hear that event: the first key press was lost. A press of code 0, which is
    # no key and no button, adds each device now, as if plugged in, with no event that a client
    # or the idle monitor would count as input.
    notify("NotifyPointerButton", "(ib)", (0, True))
    notify("NotifyKeyboardKeycode", "(ub)", (0, True))
    print("input ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            if words[0] == "move" and len(words) == 3:
                notify("NotifyPointerMotionRelative", "(dd)", (float(words[1]), float(words[2])))
            elif words[0] == "key" and len(words) == 2:
                for pressed in (True, False):
                    notify("NotifyKeyboardKeycode", "(ub)", (int(words[1]), pressed))
            elif words[0] == "shield" and len(words) == 2:
                bus.emit_signal(None, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver",
                                "ActiveChanged", GLib.Variant("(b)", (words[1] == "1",)))
                bus.flush_sync(None)
            elif words[0] == "button" and len(words) == 2:
                for pressed in (True, False):
                    notify("NotifyPointerButton", "(ib)", (int(words[1]), pressed))
            else:
                raise ValueError("not a command")
        except (ValueError, OverflowError, GLib.Error) as error:
            print(f"error {' '.join(words)}: {error}", flush=True)
            continue
        print(f"done {' '.join(words)}", flush=True)
    try:
        call(bus, session, session_interface, "Stop")
    except GLib.Error:
        pass  # the shell has gone, and the session with it


if __name__ == "__main__":
    main()
