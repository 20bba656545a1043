#pragma once
// Where a character's ink goes on the grid of a GlyphPlacement: the arithmetic alone, apart from
// the font libraries, so that it can be tested without them.
#include "seams/system_fonts.h"

// The ink of a character drawn at the placement's em size, in points of the grid, measured from
// the font's origin: x to the right, y up from the baseline.
struct InkBox {
    float left = 0, right = 0, bottom = 0, top = 0;
};

// How the ink is moved onto the grid: a point (x, y) of the font lands at column
// originX + x * scale and row originRow - y * scale (rows counted down from the top).
struct InkMove {
    float scale = 1.0f;
    float originX = 0.0f;
    float originRow = 0.0f;
};

// The character stands on the placement's baseline at its em size, its ink centred between the
// box's left and right. Ink wider or taller than the box is drawn smaller, by one factor across
// and down; ink that would then still cross the box's top or bottom is moved down or up, no
// further than needed.
InkMove placeInk(const InkBox& ink, const GlyphPlacement& placement);

// How much a face that is not bold is made bolder, as a share of the em by which its strokes
// grow, from the share of the em square its ink covers: the full amount for characters of few
// strokes, less for denser ones, none for the densest (their gaps are as narrow as the strokes).
float emboldening(float inkShare);
