#include "host/mouse_watch_win.h"

namespace {
constexpr DWORD directInputVersion = 0x0500;
} // namespace

MouseWatch::MouseWatch(HINSTANCE instance, HWND window) {
    if (DirectInputCreateA(instance, directInputVersion, &directInput, nullptr) != DI_OK)
        directInput = nullptr;
    if (directInput && directInput->CreateDevice(GUID_SysMouse, &device, nullptr) != DI_OK)
        device = nullptr;
    if (device) {
        // Each step is made whatever the one before returned; a device that cannot deliver
        // shows only in what the polls report.
        device->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
        device->SetDataFormat(&c_dfDIMouse);
        device->Acquire();
    }
}

MouseWatch::~MouseWatch() { release(); }

void MouseWatch::poll(int32_t& dx, int32_t& dy, int32_t& dz, uint8_t& buttons) {
    MouseState fetched;
    const bool ok = device && device->GetDeviceState(sizeof fetched, &fetched) == DI_OK;
    const MouseReading reading = foldMouseFetch(mouseState, ok ? &fetched : nullptr);
    dx = reading.dx;
    dy = reading.dy;
    dz = reading.dz;
    buttons = reading.buttons;
}

void MouseWatch::release() {
    if (device) {
        device->Unacquire();
        device->Release();
        device = nullptr;
    }
    if (directInput) {
        directInput->Release();
        directInput = nullptr;
    }
}
