#pragma once
// The Linux saver on a Wayland desktop, where no X11 screen-saver daemon can show it: a native
// Wayland client that covers every output with one surface each on the layer shell's overlay
// layer, above every window, and keeps the keyboard while it shows.
//
//   --overlay   covers the outputs now, until the user moves the pointer, presses its first or
//               second button or Escape, or a stop signal comes; outputs that come and go
//               meanwhile are followed
//   --idle T    waits, asleep, until the session has had no input for T (the compositor's
//               idle notification: ext-idle-notify-v1, else KDE's org_kde_kwin_idle), covers the
//               outputs as --overlay does until input, then waits again; ends on a stop signal
//
// One process covers every output, so there is one sound; it still shares the sound with any
// other copy on the display (linux/shared_scene.h). The picture goes to the compositor as it
// is, 1024 x 768, in shared memory, and the compositor scales it to each output (wp_viewporter);
// a compositor without the viewporter gets it stretched by us to each output's size. Frames are
// drawn only for outputs that show them (their frame callbacks), at most one step of the fire
// per 15 ms, and as many steps as 15 ms periods have passed, so the fire keeps its speed
// whatever the outputs' refresh rates.
#include <cstdint>

#include "linux/common/shared_scene.h"
#include "settings/settings.h"

class Clock;

// Returns the exit code: 0 when the user or a signal ended it, 1 with one line on stderr when
// there is no Wayland display or it lacks what is needed (the line says what to do instead).
int runWaylandOverlay(const Settings& settings, const SharedPlaces& places, Clock& clock);
int runWaylandIdle(uint32_t idleMilliseconds, const Settings& settings, const SharedPlaces& places,
                   Clock& clock);
