#pragma once
// The saver run's desktop on Windows: the saver window with its queue, GetAsyncKeyState for
// Escape, DirectInput for the mouse, GetTickCount and the calendar.
#include <windows.h>

#include <memory>

#include "windows/saver_host.h"

class MouseWatch;

class WindowsSaverHost final : public SaverHost {
  public:
    explicit WindowsSaverHost(HINSTANCE instance);
    ~WindowsSaverHost() override;

    uint32_t tickCount() override;
    uint32_t calendarSeconds() override;

    void createMouseWatch() override;
    MouseReading pollMouse() override;
    void releaseMouseWatch() override;

    void createSaverWindow() override;
    NativeWindow saverWindow() const override { return window_; }
    bool drainMessages() override;
    bool escapeDown() override;

  private:
    HINSTANCE instance_;
    HWND window_ = nullptr;
    // Left alone on the quit exit; the host's end, right before the process ends, gives the
    // device back.
    std::unique_ptr<MouseWatch> mouseWatch_;
};
