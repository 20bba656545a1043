#include "windows/mouse_reading.h"

MouseReading foldMouseFetch(MouseDeviceState& latest, const MouseDeviceState* fetched) {
    if (fetched)
        latest = *fetched;
    MouseReading reading;
    reading.dx = latest.x;
    reading.dy = latest.y;
    reading.dz = latest.wheel;
    reading.buttons = uint8_t((latest.buttons[0] ? 1 : 0) | (latest.buttons[1] ? 2 : 0));
    return reading;
}
