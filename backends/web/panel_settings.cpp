#include "web/panel_settings.h"

#include "settings/settings_choices.h"

namespace {
unsigned bit(PanelControl control) {
    return 1u << unsigned(control);
}
} // namespace

unsigned checkedControls(const Settings& settings) {
    const SettingsMarks marks = marksOf(settings);
    unsigned checked = 0;
    if (marks.color == FireColor::standard)
        checked |= bit(PanelControl::standard);
    if (marks.color == FireColor::yellow)
        checked |= bit(PanelControl::yellow);
    if (marks.color == FireColor::cycle)
        checked |= bit(PanelControl::cycle);
    if (marks.soundEffects)
        checked |= bit(PanelControl::sound);
    if (marks.musicPlaylist)
        checked |= bit(PanelControl::music);
    if (marks.randomSparks)
        checked |= bit(PanelControl::sparks);
    return checked;
}

void clickControl(PanelControl control, bool checked) {
    switch (control) {
    case PanelControl::standard:
        chooseColor(standardChoice);
        break;
    case PanelControl::yellow:
        chooseColor(yellowChoice);
        break;
    case PanelControl::cycle:
        chooseColor(cycleChoice);
        break;
    case PanelControl::sound:
        takeCheckState(Effect::soundEffects, checked ? 1 : 0);
        break;
    case PanelControl::music:
        takeCheckState(Effect::musicPlaylist, checked ? 1 : 0);
        break;
    case PanelControl::sparks:
        takeCheckState(Effect::randomSparks, checked ? 1 : 0);
        break;
    }
}
