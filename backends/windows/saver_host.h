#pragma once
// What the Windows saver run needs from the desktop around it: its window and that window's
// message queue, the Escape key, the mouse watch, and the tick counter and calendar. The saver
// run (saver_run.h) is written against this alone, so its order of calls is tested natively
// with a recording fake; windows_saver_host.h gives it for real.
#include <cstdint>

#include "seams/clock.h"
#include "seams/frame_output.h"

// The mouse since the previous reading.
struct MouseReading {
    int32_t dx = 0;
    int32_t dy = 0;
    int32_t dz = 0;      // the wheel, which the saver does not look at
    uint8_t buttons = 0; // bit 0: first button, bit 1: second button
};

class SaverHost : public Clock {
  public:
    // Creates the mouse watch on the desktop window; it gathers movement from here on.
    virtual void createMouseWatch() = 0;
    virtual MouseReading pollMouse() = 0;
    // Gives the device back and deletes the watch.
    virtual void releaseMouseWatch() = 0;

    // Registers the "Emberhall" class, creates the popup at the picture's size and puts it
    // topmost at (0, 0).
    virtual void createSaverWindow() = 0;
    virtual NativeWindow saverWindow() const = 0;
    // Dispatches the saver window's pending messages; true when the quit message was taken,
    // which stops the draining at once.
    virtual bool drainMessages() = 0;
    // The Escape key is down now.
    virtual bool escapeDown() = 0;
};
