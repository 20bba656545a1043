#pragma once
// What a settings dialog shows of the flags and what its clicks store, the same for the dialog of
// every platform. A control shows checked only when its flag is exactly 1, and a click stores only
// what that control decides, so a flag the user did not touch goes back to the file as it came:
// 02, FF, or the FF of a byte a short file lacked.
#include <cstdint>
#include <optional>
#include <string>

#include "settings/settings.h"

// The colour radio buttons, in their order.
constexpr int standardChoice = 0;
constexpr int yellowChoice = 1;
constexpr int cycleChoice = 2;

// The marks of the controls for a set of flags: the radio button of the colour in force (none
// checked when no colour flag is 1), and each effect box checked when its flag is 1.
struct SettingsMarks {
    FireColor color = FireColor::none;
    bool soundEffects = false;
    bool musicPlaylist = false;
    bool randomSparks = false;
};
SettingsMarks marksOf(const Settings& settings);

// The states of the three colour radio buttons and flags, in the order standard, yellow, cycle.
struct ColorStates {
    int32_t standard = 0;
    int32_t yellow = 0;
    int32_t cycle = 0;
};

// A click on a colour: stores the choice in the three colour flags and gives the states for the
// radio buttons to show. Any value other than the three choices stores and gives nothing.
std::optional<ColorStates> chooseColor(int choice);

// The three effects that have a check box each.
enum class Effect { soundEffects, musicPlaylist, randomSparks };

// A click on an effect's box: its new state goes into the flag when it is 0 (unchecked) or 1
// (checked). Any other state a toolkit may report (an undecided box) leaves the flag alone.
void takeCheckState(Effect effect, long long state);

// The About box of every settings dialog.
constexpr const char* aboutCaption = "About";
constexpr const char* aboutText =
    "Emberhall 1.0.0\n"
    "\n"
    "For everyone who has sat by a fire on a long winter evening, said little, and felt at "
    "home.\n"
    "\n"
    "Flames, sparks and words by the Emberhall developers, with thanks to our families for "
    "their patience and to every friend who kept the fire company.";

// What a dialog tells the user when OK could not save: which file, why, and whether the old file
// is still whole.
std::string failedSaveText(const SettingsSave& save);
