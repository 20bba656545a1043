#pragma once
// Which palette the fire burns in, chosen each frame from the colour options: the standard one,
// the yellow one, or a slow swing between the two.
class FireEngine;
struct Settings;

struct FireColorMode {
    float cycleFactor = 1.0f; // blend position, 0 (standard) ... 255 (yellow)
    float cycleStep = 0.5f;   // change per frame

    // Blends the engine's current palette for this frame. With no colour option on the palette
    // is left as it is.
    void applyFireColor(FireEngine& engine, const Settings& settings);
};
