#pragma once
// GNOME's Wayland session tells no client when it is idle (Mutter has no ext-idle-notify), but
// tells any program on the session bus: org.gnome.Mutter.IdleMonitor at
// /org/gnome/Mutter/IdleMonitor/Core. An idle watch (AddIdleWatch) fires WatchFired once the
// user has been away for its time, and again each time after the user came back and went away;
// a user-active watch (AddUserActiveWatch) fires once, when the user is back. Both signals go to
// their caller only, and the watches end with its connection. The session's idle inhibitors (a
// video playing) hold the idle watches back, as they hold back GNOME's own blanking.
//
// GNOME's own shield (its blank screen, or the lock) comes after org.gnome.desktop.session
// idle-delay (five minutes by default); org.gnome.ScreenSaver says when it is up (GetActive, and
// the signal ActiveChanged).
//
// The bus is reached with GIO's GDBus (GLib is on every desktop with GTK, and the package depends
// on it already for the settings window), loaded at run time when --idle finds no idle protocol:
// the saver's other runs, the X11 hack that screen-saver daemons start on every monitor at every
// cycle above all, then load neither GIO nor the libraries it brings (GObject, GLib, libmount,
// libselinux, ...). GIO's own headers give the calls their types. GDBus delivers what comes
// through a main context of ours, whose descriptors join the Wayland wait, so the program still
// sleeps in one poll.
#include <cstdint>
#include <memory>
#include <string>

#include "linux/wayland/wayland_idle.h"

class WaylandDisplay;

// Watches for `milliseconds` of idle time and for the shield, waking `display`'s dispatch when
// either says something; null, with one line in `why`, when there is no GIO, no session bus or
// no GNOME idle monitor on it.
std::unique_ptr<IdleWatch> watchGnomeIdle(WaylandDisplay& display, uint32_t milliseconds,
                                          std::string& why);

// Whether the session bus has GNOME's idle monitor now (for the settings window).
bool gnomeIdleMonitorAvailable();
