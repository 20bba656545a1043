#pragma once
// Learning that the session is idle, for --idle: from the compositor itself where it says so
// (ext-idle-notify-v1, or KDE's older org_kde_kwin_idle), else from GNOME's idle monitor on the
// session bus (linux/wayland/gnome_idle_monitor.h). Either way the program sleeps meanwhile: the
// news arrives as events on a descriptor the wait polls.
#include <cstdint>
#include <memory>

class WaylandDisplay;

class IdleWatch {
  public:
    virtual ~IdleWatch() = default;

    // The session has been idle for the time asked. The waiting loop clears it when it takes it.
    bool idle = false;
    // The user is back, as the desktop saw it: the covering ends (GNOME, where our windows may
    // not hear every input). The compositor watches never set it: their overlay surfaces hold
    // the keyboard and the pointer, and end the covering themselves.
    bool userBack = false;
    // The desktop's own shield is up (GNOME's blank screen or lock): nothing is drawn under it.
    bool shielded = false;

    // The fire covers the screens now, and when it stops covering them.
    virtual void coveringStarts() {}
    virtual void coveringEnded() {
        idle = false;
        userBack = false;
    }
};

// The compositor's idle notification for `milliseconds` on the display's seat; null when it has
// neither protocol or no seat.
std::unique_ptr<IdleWatch> watchCompositorIdle(WaylandDisplay& display, uint32_t milliseconds);
