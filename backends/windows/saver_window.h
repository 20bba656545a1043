#pragma once
#include <windows.h>

// Registers the window class and creates the borderless popup the saver draws into. The
// registration's result is not examined; the creation's handle is returned as it comes.
HWND createSaverWindow(HINSTANCE instance, const char* className, const char* title, int width,
                       int height, WNDPROC windowProc);

// The saver window's procedure: closing only posts WM_DESTROY (whose handling posts the quit
// message), and system commands such as SC_SCREENSAVE or SC_MONITORPOWER are swallowed.
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
