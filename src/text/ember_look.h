#pragma once
// The look of every letter Emberhall draws: white-hot inside, cooling through yellow and orange
// to a red skin at the edges, set in a thin dark plum outline that carries a little blue (no
// fire colour has any, so letters stand apart from the fire, and tests can tell them from it).
// The default glyph sheet is drawn with it (tools/make_glyph_sheet), and so is every character
// made at run time from the system's fonts (text/system_glyphs.h).
//
// The saver copies a letter pixel unchanged, with no blending, and leaves black (0) out. So every
// pixel of a letter is opaque and the soft edges are made inside the letter: each pixel is the
// average colour of the parts of it that the letter and its outline cover, and a pixel mostly
// outside both is left out.
#include <cstdint>
#include <vector>

// Sheet pixels are drawn from a grid this many times finer, for smooth edges.
constexpr int emberFineness = 4;
// The outline's width, in sheet pixels.
constexpr float emberOutlineWidth = 2.0f;

// One cell of `cell` x `cell` pixels 0x00RRGGBB (0 where nothing is drawn), top row first, from
// the coverage (0 ... 1) of a letter on the fine grid of that cell (cell x emberFineness on a
// side). `depthScale` stretches the ramp from the edge to the white-hot core: 1 for letters with
// the sheet's heavy strokes; more for thin ones, whose core would otherwise stay orange; 0 to
// stretch it as far as the letter's own strokes need (at most two and a half times). `grow`
// makes the strokes heavier by that many sheet pixels on every side first.
std::vector<uint32_t> emberCell(const std::vector<float>& coverage, int cell,
                                float depthScale = 1.0f, float grow = 0.0f);
