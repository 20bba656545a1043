#pragma once
// Tells the saver whether the user has touched the mouse: DirectInput's system mouse, read in
// the background without taking it from other programs. A failed set-up is not reported; every
// poll then simply reports no movement and no buttons.
#define DIRECTINPUT_VERSION 0x0500
#include <windows.h>

#include <dinput.h>

#include "windows/mouse_reading.h"

class MouseWatch {
  public:
    MouseWatch(HINSTANCE instance, HWND window);
    ~MouseWatch();
    MouseWatch(const MouseWatch&) = delete;
    MouseWatch& operator=(const MouseWatch&) = delete;

    // Movement since the previous poll (or since creation), the wheel, and the first two buttons.
    MouseReading poll();
    // Gives the device and the interface back.
    void release();

  private:
    MouseDeviceState mouseState; // the latest successful fetch
    IDirectInputA* directInput = nullptr;
    IDirectInputDeviceA* device = nullptr;
};
