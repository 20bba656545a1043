// Laying a message out as particles, drawing them from the glyph sheet and moving them once
// they burst. Positions and velocities are 32-bit floats throughout, and every step below is
// written so that the Linux and the Windows builds compute the very same values.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <memory>

#include "fire/random_source.h"
#include "text/glyph_particles.h"
#include "text/glyph_sheet.h"
#include "text/system_glyphs.h"

// Floats must be evaluated as floats, not in a wider register that rounds differently: the
// motion of a burst has to come out the same in both builds (SSE on x86-64 does this).
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must not use wider precision");

namespace {

constexpr float cellAdvance = 50.0f;
constexpr float lineStep = 50.0f;
constexpr float nudge = 1.0f;
constexpr float downwardPull = 0.05f;
constexpr int32_t bounceMargin = 50;
constexpr int32_t angleRange = 360;
// Starting vertical velocities; most letters leap upward, the last entry does not.
constexpr float startVelocities[10] = {-0.5f, -0.7f, -0.8f, -0.9f, -1.0f,
                                       -1.2f, -1.4f, -1.6f, -1.8f, 0.0f};

constexpr char32_t lineBreak = '-';
constexpr char32_t nudgeRight = '*';
constexpr char32_t blankCell = '+';

bool isDrawn(char32_t c) {
    return c != ' ' && c != blankCell && c != lineBreak && c != nudgeRight;
}

// Draws a, b and k, in that order, from the shared random sequence.
void giveStartVelocity(GlyphParticle& particle) {
    const int32_t a = drawMod(angleRange);
    const int32_t b = drawMod(angleRange);
    const int32_t k = drawMod(10);
    // Whole-number angles taken as radians. The double-precision cos and sin are used and
    // rounded to float: for all 360 angles they give bit-identical floats with glibc and with
    // MinGW-w64, whereas the float versions (cosf, sinf) differ between the two in the last bit.
    // The sum is a float addition.
    particle.vx = float(std::cos(double(a))) + float(std::sin(double(b)));
    particle.vy = startVelocities[k];
}

// Truncation toward zero; a position no 32-bit column or row can hold is off every frame.
bool toFrameCoordinate(float v, int32_t& out) {
    if (!(v > -2147483648.0f && v < 2147483648.0f))
        return false;
    out = int32_t(v);
    return true;
}

} // namespace

std::unique_ptr<ParticleList> layoutParticles(int32_t x, int32_t y, std::u32string_view text,
                                              int32_t frameWidth, int32_t glyphSize) {
    auto list = std::make_unique<ParticleList>();
    const float margin = float(x);
    float column = margin;
    float row = float(y);
    const float wrapLimit = float(int64_t(frameWidth) - glyphSize);

    for (const char32_t c : text) {
        GlyphParticle particle{c, column, row, 0.0f, 0.0f};
        giveStartVelocity(particle);

        if (c == lineBreak) {
            column = margin;
            row += lineStep;
        } else if (c == nudgeRight) {
            column += nudge;
        } else if (column < wrapLimit) {
            column += cellAdvance;
        } else {
            // Past the right edge: this character starts the next line.
            row += lineStep;
            particle.x = margin;
            particle.y = row;
            column = margin + cellAdvance;
        }
        // A particle that cannot be stored is simply left out of the message.
        list->add(particle);
    }
    return list;
}

void drawCharacter(int32_t x, int32_t y, char32_t character, const GlyphSheet& sheet,
                   uint32_t* frame, int32_t frameWidth, int32_t frameHeight) {
    if (sheet.drawGlyph(x, y, character, frame, frameWidth, frameHeight) || !sheet.loaded())
        return;
    const int32_t size = sheet.glyphSize();
    if (const uint32_t* cell = systemGlyph(character, size))
        drawGlyphPixels(cell, size, size, size, x, y, frame, frameWidth, frameHeight);
}

void drawParticles(ParticleList& list, const GlyphSheet& sheet, uint32_t* frame, int32_t frameWidth,
                   int32_t frameHeight) {
    for (GlyphParticle* p = list.first(); p; p = list.next()) {
        if (!isDrawn(p->character))
            continue;
        int32_t column = 0;
        int32_t row = 0;
        if (toFrameCoordinate(p->x, column) && toFrameCoordinate(p->y, row))
            drawCharacter(column, row, p->character, sheet, frame, frameWidth, frameHeight);
    }
}

void moveParticles(ParticleList& list, int32_t frameWidth) {
    const float rightLimit = float(frameWidth - bounceMargin);
    for (GlyphParticle* p = list.first(); p; p = list.next()) {
        p->x += p->vx;
        p->y += p->vy;
        p->vy += downwardPull;
        // The velocity flips while the particle stays where it went, so it comes back in on
        // its next move.
        if (p->x <= 0.0f || p->x >= rightLimit)
            p->vx = -p->vx;
    }
}
