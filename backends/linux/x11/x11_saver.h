#pragma once
// The Linux saver's run on an X display: the window the plan names (or one of our own), the
// frame output on it, the scene, and the frame loop, paced as on every home (scene/frame_pacer.h)
// and asleep between steps. It ends, stopping the sound, when a stop signal comes, when its window is destroyed
// or, in its own window, on Escape, on closing the window, and while full screen on the mouse.
// Under a screen-saver host the host keeps the input. Of several copies on one display only one
// plays the sound (linux/common/shared_scene.h).
#include "linux/common/options.h"
#include "linux/common/shared_scene.h"
#include "settings/settings.h"

class Clock;

// Returns the exit code: 0, or 1 with a one-line message on stderr when there is no display or
// the window cannot be drawn into.
int runX11Saver(const WindowPlan& plan, const Settings& settings, const SharedPlaces& places,
                Clock& clock);
