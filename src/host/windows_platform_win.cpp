#include "host/windows_platform_win.h"

#include <ctime>

#include "host/mouse_watch_win.h"
#include "host/saver_window_win.h"
#include "pixel/pixel_toolkit.h"
#include "sound/sound_steps.h"

namespace {
constexpr const char* saverClassName = "Emberhall";
constexpr const char* saverTitle = "Emberhall";
constexpr int saverWidth = 1024;
constexpr int saverHeight = 768;
} // namespace

WindowsSaverPlatform::WindowsSaverPlatform(HINSTANCE instance) : instance_(instance) {}

WindowsSaverPlatform::~WindowsSaverPlatform() = default;

uint32_t WindowsSaverPlatform::tickCount() { return GetTickCount(); }

uint32_t WindowsSaverPlatform::calendarSeconds() { return uint32_t(std::time(nullptr)); }

bool WindowsSaverPlatform::escapeDown() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

void WindowsSaverPlatform::createSaverWindow() {
    window_ = ::createSaverWindow(instance_, saverClassName, saverTitle, saverWidth, saverHeight,
                                  saverWindowProc);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, saverWidth, saverHeight, SWP_SHOWWINDOW);
}

bool WindowsSaverPlatform::drainMessages() {
    MSG message;
    while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return true;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return false;
}

void WindowsSaverPlatform::createMouseWatch() {
    mouseWatch_ = new MouseWatch(instance_, GetDesktopWindow());
}

MouseReading WindowsSaverPlatform::pollMouse() {
    MouseReading reading;
    if (mouseWatch_)
        mouseWatch_->poll(reading.dx, reading.dy, reading.dz, reading.buttons);
    return reading;
}

void WindowsSaverPlatform::releaseMouseWatch() {
    if (!mouseWatch_)
        return;
    mouseWatch_->release();
    delete mouseWatch_;
    mouseWatch_ = nullptr;
}

void WindowsSaverPlatform::openAudio() { ::openAudio(); }
uint32_t WindowsSaverPlatform::startFireSound() { return ::startFireSound(); }
void WindowsSaverPlatform::startMusic() { ::startMusic(); }
void WindowsSaverPlatform::stopAudio(uint32_t fireStream) { ::stopAudio(fireStream); }

PixelConsole* WindowsSaverPlatform::createConsole() { return pixelCreateConsole(); }

PixelFormat* WindowsSaverPlatform::createFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                                                uint32_t blueMask, uint32_t alphaMask) {
    return pixelCreateFormat(bits, redMask, greenMask, blueMask, alphaMask);
}

void WindowsSaverPlatform::openConsole(PixelConsole* console, int32_t width, int32_t height,
                                       PixelFormat* format, int32_t pages) {
    pixelOpenConsole(console, window_, width, height, format, pages);
}

PixelSurface* WindowsSaverPlatform::createSurface(int32_t width, int32_t height,
                                                  PixelFormat* format) {
    return pixelCreateSurface(width, height, format);
}

uint32_t* WindowsSaverPlatform::lockSurface(PixelSurface* surface) { return pixelLockSurface(surface); }
void WindowsSaverPlatform::unlockSurface(PixelSurface* surface) { pixelUnlockSurface(surface); }
void WindowsSaverPlatform::copySurface(PixelSurface* surface, PixelConsole* console) {
    pixelCopySurface(surface, console);
}
void WindowsSaverPlatform::updateConsole(PixelConsole* console) { pixelUpdateConsole(console); }
void WindowsSaverPlatform::closeConsole(PixelConsole* console) { pixelCloseConsole(console); }
void WindowsSaverPlatform::destroySurface(PixelSurface* surface) { pixelDestroySurface(surface); }
void WindowsSaverPlatform::destroyFormat(PixelFormat* format) { pixelDestroyFormat(format); }
void WindowsSaverPlatform::destroyConsole(PixelConsole* console) { pixelDestroyConsole(console); }
