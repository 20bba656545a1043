#include "windows/config_dialog.h"

#include <cctype>
#include <string>

#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "windows/resources/resource.h"

namespace {
constexpr const char* aboutCaption = "About";
constexpr const char* aboutText =
    "Emberhall 1.0.0\n"
    "\n"
    "For everyone who has sat by a fire on a long winter evening, said little, and felt at "
    "home.\n"
    "\n"
    "Flames, sparks and words by the Emberhall developers, with thanks to our families for "
    "their patience and to every friend who kept the fire company.";

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
void takeCheckState(HWND control, void (*setFlag)(int32_t)) {
    const LRESULT state = SendMessageA(control, BM_GETCHECK, 0, 0);
    if (state == BST_CHECKED || state == BST_UNCHECKED)
        setFlag(int32_t(state));
}

void closeDialog(HWND window) {
    EndDialog(window, 0);
    DestroyWindow(window);
    PostQuitMessage(0);
}

// A failed save must not pass for a kept one, or the user would believe the settings stuck.
// Say which file could not be written and why, and whether the old file is still whole: it is,
// unless a write into the file itself broke off part-way.
void reportFailedSave(HWND window, const SettingsSave& save) {
    std::string reason = save.reason;
    if (!reason.empty())
        reason[0] = char(std::toupper(static_cast<unsigned char>(reason[0])));
    const char* const oldFile = save.oldFileKept
                                    ? "Any settings saved before are kept."
                                    : "The file may now hold some new settings and some old ones.";
    const std::string text =
        "The settings could not be saved to\n" + save.path + "\n\n" + reason + ".\n\n" + oldFile;
    MessageBoxA(window, text.c_str(), saveFailedCaption, MB_OK | MB_ICONWARNING);
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
        takeCheckState(control, setSoundEffects);
        break;
    case IDC_MUSIC:
        takeCheckState(control, setMusicPlaylist);
        break;
    case IDC_SPARKS:
        takeCheckState(control, setRandomSparks);
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
    if (choice < standardChoice || choice > cycleChoice)
        return;
    const int32_t standard = choice == standardChoice ? 1 : 0;
    const int32_t yellow = choice == yellowChoice ? 1 : 0;
    const int32_t cycle = choice == cycleChoice ? 1 : 0;
    showColorStates(window, standard, yellow, cycle);
    setStandardColor(standard);
    setYellowColor(yellow);
    setCycleColors(cycle);
}

void showSettings(HWND window) {
    const Settings settings = currentSettings();
    switch (fireColorOf(settings)) {
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
    if (isOn(settings.soundEffects))
        setCheck(window, IDC_SOUND, BST_CHECKED);
    if (isOn(settings.musicPlaylist))
        setCheck(window, IDC_MUSIC, BST_CHECKED);
    if (isOn(settings.randomSparks))
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
