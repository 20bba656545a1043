#include "host/mouse_reading.h"

MouseReading foldMouseFetch(MouseState& latest, const MouseState* fetched) {
    if (fetched)
        latest = *fetched;
    MouseReading reading;
    reading.dx = latest.lX;
    reading.dy = latest.lY;
    reading.dz = latest.lZ;
    reading.buttons = uint8_t((latest.rgbButtons[0] ? 1 : 0) | (latest.rgbButtons[1] ? 2 : 0));
    return reading;
}
