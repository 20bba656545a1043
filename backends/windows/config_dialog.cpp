#include "windows/config_dialog.h"

#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "settings/settings_choices.h"
#include "windows/resources/resource.h"

namespace {
constexpr const char* saveFailedCaption = "Emberhall";

void setCheck(HWND window, int control, WPARAM state) {
    SendDlgItemMessageA(window, control, BM_SETCHECK, state, 0);
}

void showColorStates(HWND window, WPARAM standard, WPARAM yellow, WPARAM cycle) {
    setCheck(window, IDC_STANDARD, standard);
    setCheck(window, IDC_YELLOW, yellow);
    setCheck(window, IDC_CYCLE, cycle);
}

// A check box writes its new state into its flag; a state other than checked or unchecked
// (which our auto check boxes never report) leaves the flag alone.
void takeCheckState(HWND control, Effect effect) {
    takeCheckState(effect, SendMessageA(control, BM_GETCHECK, 0, 0));
}

void closeDialog(HWND window) {
    EndDialog(window, 0);
    DestroyWindow(window);
    PostQuitMessage(0);
}

void reportFailedSave(HWND window, const SettingsSave& save) {
    MessageBoxA(window, failedSaveText(save).c_str(), saveFailedCaption, MB_OK | MB_ICONWARNING);
}

void onOk(HWND window) {
    const SettingsSave save = saveSettings(settingsFileName);
    if (!save.saved)
        reportFailedSave(window, save);
    closeDialog(window);
}

void onCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    switch (LOWORD(wParam)) {
    case IDOK:
        onOk(window);
        break;
    case IDCANCEL:
        closeDialog(window);
        break;
    case IDC_STANDARD:
        selectColor(window, standardChoice);
        break;
    case IDC_YELLOW:
        selectColor(window, yellowChoice);
        break;
    case IDC_CYCLE:
        selectColor(window, cycleChoice);
        break;
    case IDC_SOUND:
        takeCheckState(control, Effect::soundEffects);
        break;
    case IDC_MUSIC:
        takeCheckState(control, Effect::musicPlaylist);
        break;
    case IDC_SPARKS:
        takeCheckState(control, Effect::randomSparks);
        break;
    case IDC_ABOUT:
        MessageBoxA(window, aboutText, aboutCaption, MB_OK);
        break;
    default:
        break;
    }
}
} // namespace

void selectColor(HWND window, int choice) {
    if (const auto states = chooseColor(choice))
        showColorStates(window, states->standard, states->yellow, states->cycle);
}

void showSettings(HWND window) {
    const SettingsMarks marks = marksOf(currentSettings());
    switch (marks.color) {
    case FireColor::standard:
        showColorStates(window, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED);
        break;
    case FireColor::yellow:
        showColorStates(window, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED);
        break;
    case FireColor::cycle:
        showColorStates(window, BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED);
        break;
    case FireColor::none:
        break; // no radio button checked
    }
    // The boxes start unchecked in the template, so only the flags that are on need a mark.
    if (marks.soundEffects)
        setCheck(window, IDC_SOUND, BST_CHECKED);
    if (marks.musicPlaylist)
        setCheck(window, IDC_MUSIC, BST_CHECKED);
    if (marks.randomSparks)
        setCheck(window, IDC_SPARKS, BST_CHECKED);
}

INT_PTR CALLBACK configDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        loadSettings(settingsFileName);
        showSettings(window);
        break;
    case WM_COMMAND:
        onCommand(window, wParam, lParam);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return 0;
}
