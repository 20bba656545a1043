#pragma once
// The Linux saver on a Wayland desktop, where no X11 screen-saver daemon can show it: a native
// Wayland client that covers every output with a surface of its own (on the layer shell's
// overlay layer, or full screen where there is none, as on GNOME), and keeps the keyboard while
// it shows.
//
//   --overlay   covers the outputs now, until the user moves the pointer, presses its first or
//               second button or Escape, touches the screen, or a stop signal comes; outputs
//               that come and go meanwhile are followed
//   --idle T    waits, asleep, until the session has had no input for T (linux/wayland/
//               wayland_idle.h), covers the outputs as --overlay does until input, then waits
//               again; on GNOME also until the desktop sees the user back, and not while GNOME's
//               own shield is up; ends on a stop signal
//
// One process covers every output, so there is one sound; it still shares the sound with any
// other copy on the display (linux/common/shared_scene.h). The picture reaches the outputs
// through the frame output (linux/wayland/wayland_frame_output.h), drawn only while an output
// waits for it and paced as on every home (scene/frame_pacer.h).
#include <cstdint>

#include "linux/common/shared_scene.h"
#include "settings/settings.h"

class Clock;

// Returns the exit code: 0 when the user or a signal ended it, 1 with one line on stderr when
// there is no Wayland display or it lacks what is needed (the line says what to do instead).
int runWaylandOverlay(const Settings& settings, const SharedPlaces& places, Clock& clock);
int runWaylandIdle(uint32_t idleMilliseconds, const Settings& settings, const SharedPlaces& places,
                   Clock& clock);
