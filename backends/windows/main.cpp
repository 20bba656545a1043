// Entry of emberhall.scr. The screen-saver host starts it with a mode switch: /s runs the
// saver, /c shows the settings, anything else (preview, password) ends at once. Every path
// returns 0.
#include <windows.h>

#include "audio/audio_library.h"
#include "settings/settings.h"
#include "windows/config_mode.h"
#include "windows/gdi_frame_output.h"
#include "windows/gdi_system_fonts.h"
#include "windows/mode_letter.h"
#include "windows/saver_run.h"
#include "windows/windows_audio.h"
#include "windows/windows_data_files.h"
#include "windows/windows_locale.h"
#include "windows/windows_saver_host.h"

// The command line is read anew, program name included.
char readModeLetter() {
    return modeLetterOf(GetCommandLineA());
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    useDataFiles(windowsDataFiles());
    useLegacyCodePage(windowsLegacyCodePage());
    useTimeNames(windowsTimeNames());
    useSystemFonts(std::make_shared<GdiSystemFonts>());
    audioUsePlatform(windowsAudioPlatform());
    const char letter = readModeLetter();
    HWND desktop = GetDesktopWindow();
    switch (chooseMode(letter, desktop != nullptr)) {
    case SaverMode::Configure:
        return runConfigurationMode(instance, desktop);
    case SaverMode::Saver: {
        WindowsSaverHost host(instance);
        GdiFrameOutput output;
        SaverRun run(host, output);
        const int code = run.run();
        // The device and the music were the process's to the end; that end is now.
        endWindowsAudio();
        return code;
    }
    case SaverMode::Exit:
        break;
    }
    return 0;
}
