#pragma once
#include <windows.h>

// Configuration mode: the settings dialog, owned by the desktop window, then the thread's
// message loop until the quit message. Returns the exit code, 0.
int runConfigurationMode(HINSTANCE instance, HWND desktop);
