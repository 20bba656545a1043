#pragma once
// The window of emberhall-settings: the choices of the Windows dialog (fire colour, sound, music,
// sparks) over the same emberhall.dat by the same rules (settings/settings_choices.h), and what
// Linux users otherwise did by hand: making and opening their own messages and playlist, and
// seeing the fire with the choices before saving them.

// Shows the window with the settings flags as they stand (loaded by the caller) and returns when
// it closes: OK saves the flags first, Cancel, Escape and the close box save nothing.
void runSettingsWindow();
