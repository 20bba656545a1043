#include "settings/settings_choices.h"

#include <cctype>

SettingsMarks marksOf(const Settings& settings) {
    return {fireColorOf(settings), isOn(settings.soundEffects), isOn(settings.musicPlaylist),
            isOn(settings.randomSparks)};
}

std::optional<ColorStates> chooseColor(int choice) {
    if (choice < standardChoice || choice > cycleChoice)
        return std::nullopt;
    const ColorStates states{choice == standardChoice ? 1 : 0, choice == yellowChoice ? 1 : 0,
                             choice == cycleChoice ? 1 : 0};
    setStandardColor(states.standard);
    setYellowColor(states.yellow);
    setCycleColors(states.cycle);
    return states;
}

void takeCheckState(Effect effect, long long state) {
    if (state != 0 && state != 1)
        return;
    const int32_t value = int32_t(state);
    switch (effect) {
    case Effect::soundEffects:
        setSoundEffects(value);
        break;
    case Effect::musicPlaylist:
        setMusicPlaylist(value);
        break;
    case Effect::randomSparks:
        setRandomSparks(value);
        break;
    }
}

// A failed save must not pass for a kept one, or the user would believe the settings stuck. The
// old file is whole unless a write into the file itself broke off part-way.
std::string failedSaveText(const SettingsSave& save) {
    std::string reason = save.reason;
    if (!reason.empty())
        reason[0] = char(std::toupper(static_cast<unsigned char>(reason[0])));
    const char* const oldFile = save.oldFileKept
                                    ? "Any settings saved before are kept."
                                    : "The file may now hold some new settings and some old ones.";
    return "The settings could not be saved to\n" + save.path + "\n\n" + reason + ".\n\n" + oldFile;
}
