#include "web/panel_settings.h"

namespace {
unsigned bit(PanelControl control) {
    return 1u << unsigned(control);
}
} // namespace

unsigned checkedControls(const Settings& settings) {
    unsigned checked = 0;
    switch (fireColorOf(settings)) {
    case FireColor::standard:
        checked |= bit(PanelControl::standard);
        break;
    case FireColor::yellow:
        checked |= bit(PanelControl::yellow);
        break;
    case FireColor::cycle:
        checked |= bit(PanelControl::cycle);
        break;
    case FireColor::none:
        break;
    }
    if (isOn(settings.soundEffects))
        checked |= bit(PanelControl::sound);
    if (isOn(settings.musicPlaylist))
        checked |= bit(PanelControl::music);
    if (isOn(settings.randomSparks))
        checked |= bit(PanelControl::sparks);
    return checked;
}

void clickControl(PanelControl control, bool checked) {
    const int32_t state = checked ? 1 : 0;
    switch (control) {
    case PanelControl::standard:
    case PanelControl::yellow:
    case PanelControl::cycle:
        setStandardColor(control == PanelControl::standard ? 1 : 0);
        setYellowColor(control == PanelControl::yellow ? 1 : 0);
        setCycleColors(control == PanelControl::cycle ? 1 : 0);
        break;
    case PanelControl::sound:
        setSoundEffects(state);
        break;
    case PanelControl::music:
        setMusicPlaylist(state);
        break;
    case PanelControl::sparks:
        setRandomSparks(state);
        break;
    }
}
