#include "linux/fonts/ink_placement.h"

#include <algorithm>

namespace {
// Strokes grow by this share of the em at most: 0.6 pixels of a 50-pixel cell's 40-pixel em.
// With the store's own 1.5 (text/system_glyphs.cpp), a regular weight's 3-pixel strokes get room
// for a hot core; more closes narrow gaps into white blots (the bars of 녕 at 0.8 pixels).
constexpr float fullGrowth = 0.015f;
// Ink covering this share of the em square or less gets all of it; from there it fades to none
// at the dense share, where Han characters of some 15 strokes and more lie, whose gaps at this
// size are no wider than their strokes.
constexpr float sparseShare = 0.30f;
constexpr float denseShare = 0.40f;
} // namespace

InkMove placeInk(const InkBox& ink, const GlyphPlacement& placement) {
    InkMove move;
    move.originRow = placement.baseline;
    const float width = ink.right - ink.left, height = ink.top - ink.bottom;
    if (width <= 0.0f || height <= 0.0f)
        return move;
    const float roomAcross = placement.right - placement.left;
    const float roomDown = placement.bottom - placement.top;
    move.scale = std::min({1.0f, roomAcross / width, roomDown / height});
    move.originX =
        0.5f * (placement.left + placement.right) - 0.5f * (ink.left + ink.right) * move.scale;
    const float topRow = move.originRow - ink.top * move.scale;
    const float bottomRow = move.originRow - ink.bottom * move.scale;
    if (topRow < placement.top)
        move.originRow += placement.top - topRow;
    else if (bottomRow > placement.bottom)
        move.originRow -= bottomRow - placement.bottom;
    return move;
}

float emboldening(float inkShare) {
    return fullGrowth *
           std::clamp((denseShare - inkShare) / (denseShare - sparseShare), 0.0f, 1.0f);
}
