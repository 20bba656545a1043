#pragma once
// The configuration dialog (template IDD_CONFIG): the fire colour and the three effects. It loads
// the settings when it opens, puts every click into the settings flags at once and writes the
// file only on OK. Closing it in any way posts the quit message that ends configuration mode.
#include <windows.h>

#include "settings/settings_choices.h" // the colour choices

// The dialog procedure. Returns 0 for every message, the initialisation included, so the system
// gives no control the focus at the start and does its default dialog handling for everything.
INT_PTR CALLBACK configDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the choice in the radio buttons and stores it in the three colour flags; any other
// value than the three choices does nothing.
void selectColor(HWND window, int choice);

// Sets the controls from the flags: the first colour flag that equals 1 checks its radio button,
// and each effect box is checked when its flag equals 1. The flags are not changed.
void showSettings(HWND window);
