#pragma once
// Laying a message out as particles on a grid of 50-pixel cells, drawing them from the glyph
// sheet, and moving them once the message bursts. While a message holds its particles stand
// still and spell the text; when it bursts they fly apart under a constant downward pull and
// bounce off the side edges. The frame is frameWidth x frameHeight pixels, row stride
// frameWidth.
#include <cstdint>
#include <memory>
#include <string_view>

#include "text/particle_list.h"

class GlyphSheet;

// One particle per character, at the cursor, with a starting velocity from three draws of the
// shared random sequence each. '-' starts a new line at the left margin x, '*' nudges the next
// cell one pixel right, anything else takes a cell; a cell at or past frameWidth - glyphSize
// moves to the start of the next line.
std::unique_ptr<ParticleList> layoutParticles(int32_t x, int32_t y, std::u32string_view text,
                                              int32_t frameWidth, int32_t glyphSize);

// Draws the glyph of `character` at (x, y): the sheet's, else one made from the system's fonts
// (text/system_glyphs.h), else nothing; nothing at all without a loaded sheet.
void drawCharacter(int32_t x, int32_t y, char32_t character, const GlyphSheet& sheet,
                   uint32_t* frame, int32_t frameWidth, int32_t frameHeight);

// Draws every particle that stands for a letter (not ' ', '+', '-' or '*'), oldest first, at its
// position truncated toward zero.
void drawParticles(ParticleList& list, const GlyphSheet& sheet, uint32_t* frame, int32_t frameWidth,
                   int32_t frameHeight);

// One frame of motion: move by the velocity, then pull down; bounce off x <= 0 and
// x >= frameWidth - 50 by turning the horizontal velocity round.
void moveParticles(ParticleList& list, int32_t frameWidth);
