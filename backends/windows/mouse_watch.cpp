#include "windows/mouse_watch.h"

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

MouseReading MouseWatch::poll() {
    // The published 16-byte mouse record of c_dfDIMouse: lX, lY, lZ, rgbButtons[4].
    DIMOUSESTATE fetched{};
    if (!device || device->GetDeviceState(sizeof fetched, &fetched) != DI_OK)
        return foldMouseFetch(mouseState, nullptr);
    MouseDeviceState state{fetched.lX, fetched.lY, fetched.lZ, {}};
    for (int i = 0; i < 4; ++i)
        state.buttons[i] = fetched.rgbButtons[i];
    return foldMouseFetch(mouseState, &state);
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
