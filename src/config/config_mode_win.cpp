#include "config/config_mode_win.h"

// Placeholder until the settings dialog lands.
int runConfigurationMode(HINSTANCE, HWND) { return 0; }
