#include "fire/fire_color_mode.h"

#include "fire/fire_engine.h"
#include "settings/settings.h"

void FireColorMode::applyFireColor(FireEngine& engine, const Settings& settings) {
    switch (fireColorOf(settings)) {
    case FireColor::standard:
        engine.blendPalettes(0);
        break;
    case FireColor::yellow:
        engine.blendPalettes(255);
        break;
    case FireColor::cycle:
        // The turn is tested before the move, so the swing touches 0 and 255 and comes back.
        if (cycleFactor >= 255.0f || !(cycleFactor > 0.0f))
            cycleStep = -cycleStep;
        cycleFactor += cycleStep;
        engine.blendPalettes(static_cast<int32_t>(cycleFactor));
        break;
    case FireColor::none:
        break;
    }
}
