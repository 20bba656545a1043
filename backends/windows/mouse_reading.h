#pragma once
// The mouse as the saver reads it once a frame: movement since the previous reading and the
// state of the first two buttons, folded from the device's state record.
#include <cstdint>

#include "windows/saver_host.h"

// The device's record of one fetch, with relative axes: movement since the fetch before, and a
// byte per button, non-zero while the button is down.
struct MouseDeviceState {
    int32_t x = 0;
    int32_t y = 0;
    int32_t wheel = 0;
    uint8_t buttons[4] = {};
};

// One poll: `fetched` is the device state just read, or null when the read failed (or the
// device was never set up), in which case the latest successful state is reported again.
// Only the first two buttons are reported, as bits 0 and 1; the wheel comes back as dz.
MouseReading foldMouseFetch(MouseDeviceState& latest, const MouseDeviceState* fetched);
