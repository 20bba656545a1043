// Entry of emberhall.scr. The screen-saver host starts it with a mode switch: /s runs the
// saver, /c shows the settings, anything else (preview, password) ends at once. Every path
// returns 0.
#include <windows.h>

#include "config/config_mode_win.h"
#include "host/mode_letter.h"
#include "host/saver_run.h"
#include "host/windows_platform_win.h"

// The command line is read anew, program name included.
char readModeLetter() { return modeLetterOf(GetCommandLineA()); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const char letter = readModeLetter();
    HWND desktop = GetDesktopWindow();
    switch (chooseMode(letter, desktop != nullptr)) {
    case SaverMode::Configure:
        return runConfigurationMode(instance, desktop);
    case SaverMode::Saver: {
        WindowsSaverPlatform platform(instance);
        SaverRun run(platform);
        return run.run();
    }
    case SaverMode::Exit:
        break;
    }
    return 0;
}
