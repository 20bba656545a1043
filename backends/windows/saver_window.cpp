#include "windows/saver_window.h"

HWND createSaverWindow(HINSTANCE instance, const char* className, const char* title, int width,
                       int height, WNDPROC windowProc) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "IDI_MAIN");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, className, title, WS_POPUP | WS_VISIBLE, CW_USEDEFAULT,
                           CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
}

namespace {
LRESULT onDestroy() {
    PostQuitMessage(0);
    return 0;
}

LRESULT onClose(HWND window) {
    // The window is not destroyed here; the posted WM_DESTROY leads to the quit message, which
    // the frame loop takes as its quit exit.
    PostMessageA(window, WM_DESTROY, 0, 0);
    return 0;
}
} // namespace

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        return onDestroy();
    case WM_CLOSE:
        return onClose(window);
    case WM_SYSCOMMAND:
        return 0; // no screen saver over the screen saver, no monitor power-down, no close
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
