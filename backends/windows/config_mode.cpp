#include "windows/config_mode.h"

#include "windows/config_dialog.h"
#include "windows/resources/resource.h"

int runConfigurationMode(HINSTANCE instance, HWND desktop) {
    // Owned by the desktop and placed at 0, 0 without centring, the dialog opens at the top-left
    // corner of the screen. Its result tells nothing: every way out is the same.
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), desktop, configDialogProc, 0);
    // The dialog posts the quit message as it closes, so this loop normally ends at once; it
    // still serves anything else posted to the thread in the meantime.
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
