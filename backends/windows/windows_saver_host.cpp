#include "windows/windows_saver_host.h"

#include <ctime>

#include "scene/fire_scene.h"
#include "windows/mouse_watch.h"
#include "windows/saver_window.h"

namespace {
constexpr const char* saverClassName = "Emberhall";
constexpr const char* saverTitle = "Emberhall";
} // namespace

WindowsSaverHost::WindowsSaverHost(HINSTANCE instance) : instance_(instance) {}

WindowsSaverHost::~WindowsSaverHost() = default;

uint32_t WindowsSaverHost::tickCount() { return GetTickCount(); }

uint32_t WindowsSaverHost::calendarSeconds() { return uint32_t(std::time(nullptr)); }

void WindowsSaverHost::createMouseWatch() {
    mouseWatch_ = std::make_unique<MouseWatch>(instance_, GetDesktopWindow());
}

MouseReading WindowsSaverHost::pollMouse() {
    return mouseWatch_ ? mouseWatch_->poll() : MouseReading{};
}

void WindowsSaverHost::releaseMouseWatch() {
    if (!mouseWatch_)
        return;
    mouseWatch_->release();
    mouseWatch_.reset();
}

void WindowsSaverHost::createSaverWindow() {
    window_ = ::createSaverWindow(instance_, saverClassName, saverTitle, FireScene::width,
                                  FireScene::height, saverWindowProc);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, FireScene::width, FireScene::height, SWP_SHOWWINDOW);
}

bool WindowsSaverHost::drainMessages() {
    MSG message;
    while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return true;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return false;
}

bool WindowsSaverHost::escapeDown() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }
