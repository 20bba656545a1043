#include "fire/fire_color_mode.h"

#include "config/settings.h"
#include "fire/fire_engine.h"

void FireColorMode::applyFireColor(FireEngine& engine) {
    if (standardColor() == 1) {
        engine.blendPalettes(0);
    } else if (yellowColor() == 1) {
        engine.blendPalettes(255);
    } else if (cycleColors() == 1) {
        // The turn is tested before the move, so the swing touches 0 and 255 and comes back.
        if (cycleFactor >= 255.0f || !(cycleFactor > 0.0f))
            cycleStep = -cycleStep;
        cycleFactor += cycleStep;
        engine.blendPalettes(static_cast<int32_t>(cycleFactor));
    }
}
