#pragma once
// The mouse as the saver reads it once a frame: movement since the previous reading and the
// state of the first two buttons. The layout of MouseState is DirectInput's 16-byte mouse
// record (relative axes).
#include <cstdint>

#include "host/saver_platform.h"

struct MouseState {
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    uint8_t rgbButtons[4] = {};
};
static_assert(sizeof(MouseState) == 16);

// One poll: `fetched` is the device state just read, or null when the read failed (or the
// device was never set up), in which case the latest successful state is reported again.
// Only the first two buttons are reported, as bits 0 and 1; the wheel comes back as dz.
MouseReading foldMouseFetch(MouseState& latest, const MouseState* fetched);
