#include "fire/fire_engine.h"

#include <algorithm>

#include "fire/fire_kernels.h"
#include "fire/random_source.h"
#include "text/glyph_particles.h"
#include "text/system_glyphs.h"
#include "text/text_decoding.h"
#include "text/time_escapes.h"

namespace {
// The seeding draws its values below this fixed bound, whatever the palette size.
constexpr int32_t seedValueRange = 640;
// The palette builders always fill this many entries.
constexpr uint32_t builtPaletteEntries = 640;

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 16) | (g << 8) | b;
}

// The clock's names can make a line longer than the 1023 characters a message holds ("%A" is
// two characters, "Wednesday" nine); what does not fit is left off, as the script leaves off
// the rest of a line too long for it.
std::u32string withTimeShown(std::u32string_view text, const LocalTime& now) {
    std::u32string shown = expandTimeEscapes(text, now);
    shown.resize(std::min(shown.size(), ScriptEntry::textSize - 1));
    return shown;
}
} // namespace

FireEngine::FireEngine(int32_t width, int32_t height, uint32_t paletteSize)
    : width_(width), height_(height), paletteSize_(paletteSize),
      heat_(size_t(std::max(width, 0)) * size_t(std::max(height, 0)), 0),
      standardPalette_(std::max(paletteSize, builtPaletteEntries), 0),
      yellowPalette_(std::max(paletteSize, builtPaletteEntries), 0),
      currentPalette_(std::max(paletteSize, 1u), 0) {
    buildYellowPalette();
    buildStandardPalette();
}

FireEngine::~FireEngine() = default;

void FireEngine::step() {
    // Seed row: one in two repetitions writes a random value, one in ten the hottest value, one
    // in ten clears four random cells, the rest leave the row alone. Every repetition takes its
    // three draws, used or not, because the draws are shared with the rest of the saver.
    if (width_ > 0 && height_ >= 2) {
        int32_t* seedRow = heat_.data() + size_t(width_) * size_t(height_ - 2);
        for (int32_t i = 0; i < width_; ++i) {
            const int32_t choice = drawMod(10);
            const int32_t column = drawMod(width_);
            const int32_t value = drawMod(seedValueRange);
            switch (choice) {
            case 0:
            case 1:
            case 2:
            case 3:
            case 4:
                seedRow[column] = value;
                break;
            case 6:
                seedRow[column] = int32_t(paletteSize_);
                break;
            case 8:
                for (int k = 0; k < 4; ++k)
                    seedRow[drawMod(width_)] = 0;
                break;
            default:
                break;
            }
        }
    }
    diffuse();
}

void FireEngine::diffuse() {
    if (width_ <= 0 || height_ < 3)
        return;
    diffuseHeat(heat_.data(), width_, int64_t(width_) * (height_ - 2) - 2);
}

int32_t FireEngine::render(uint32_t* pixels) const {
    if (width_ <= 0 || height_ < 3)
        return 0;
    const int64_t count = int64_t(width_) * (height_ - 2);
    renderHeat(heat_.data(), count, currentPalette_.data(), paletteSize_,
               pixels + 2 * size_t(width_));
    return int32_t(count);
}

void FireEngine::buildStandardPalette() {
    // Black to red, red to yellow, then yellow; each ramp climbs in steps of 2 up to 254.
    for (uint32_t i = 0; i < builtPaletteEntries; ++i) {
        if (i < 128)
            standardPalette_[i] = rgb(2 * i, 0, 0);
        else if (i < 256)
            standardPalette_[i] = rgb(255, 2 * (i - 128), 0);
        else
            standardPalette_[i] = rgb(255, 255, 0);
    }
}

void FireEngine::buildYellowPalette() {
    // Black to yellow, yellow to white, then white.
    for (uint32_t i = 0; i < builtPaletteEntries; ++i) {
        if (i < 128)
            yellowPalette_[i] = rgb(2 * i, 2 * i, 0);
        else if (i < 256)
            yellowPalette_[i] = rgb(255, 255, 2 * (i - 128));
        else
            yellowPalette_[i] = rgb(255, 255, 255);
    }
}

void FireEngine::blendPalettes(int32_t factor) {
    // Red and blue travel together in one masked word, green in another; the red channels of
    // the two palettes are equal, so the red-and-blue product stays inside 32 bits.
    const int32_t f = int16_t(factor & 0xFFFF);
    auto blendMasked = [f](uint32_t a, uint32_t b, uint32_t mask) {
        const int64_t am = a & mask;
        const int64_t bm = b & mask;
        return uint32_t((((bm - am) * f) >> 8) + am) & mask;
    };
    for (uint32_t i = 0; i < paletteSize_; ++i) {
        const uint32_t a = standardPalette_[i];
        const uint32_t b = yellowPalette_[i];
        currentPalette_[i] = blendMasked(a, b, 0xFF00FF) | blendMasked(a, b, 0xFF00);
    }
}

std::unique_ptr<ParticleList> FireEngine::nextMessage(Clock* clock) {
    const ScriptEntry entry = script_.next();
    // Kept as its 32-bit pattern: the cycle compares it unsigned, so a negative hold lasts long.
    holdTime_ = uint32_t(entry.hold);
    messageText_ = decodeText(entry.text);
    messageX_ = entry.x;
    messageY_ = entry.y;
    showsTime_ = showsTime(messageText_);
    // Without a %, the text is shown as it stands, and lays out exactly as it always has.
    shownText_ = messageText_.find(U'%') == std::u32string::npos
                     ? messageText_
                     : withTimeShown(messageText_, clock ? clock->localTime() : LocalTime{});
    prepareGlyphs(shownText_);
    return layoutMessage(messageX_, messageY_, shownText_);
}

std::unique_ptr<ParticleList> FireEngine::relayoutMessage(const LocalTime& now) {
    if (!showsTime_)
        return nullptr;
    std::u32string shown = withTimeShown(messageText_, now);
    if (shown == shownText_)
        return nullptr;
    shownText_ = std::move(shown);
    prepareGlyphs(shownText_);
    return layoutMessage(messageX_, messageY_, shownText_);
}

void FireEngine::prepareGlyphs(std::u32string_view text) const {
    // Without a sheet no letter is drawn at all, as ever: the fonts fill in a sheet's gaps only.
    if (!glyphSheet_.loaded())
        return;
    prepareSystemGlyphs(text, glyphSheet_.glyphSize(),
                        [this](char32_t c) { return glyphSheet_.hasGlyph(c); });
}

std::unique_ptr<ParticleList> FireEngine::layoutMessage(int32_t x, int32_t y,
                                                        const char* text) const {
    return layoutMessage(x, y, text ? decodeText(text) : std::u32string());
}

std::unique_ptr<ParticleList> FireEngine::layoutMessage(int32_t x, int32_t y,
                                                        std::u32string_view text) const {
    return layoutParticles(x, y, text, width_, glyphSheet_.glyphSize());
}

void FireEngine::drawGlyph(int32_t x, int32_t y, char32_t character, uint32_t* frame) const {
    drawCharacter(x, y, character, glyphSheet_, frame, width_, height_);
}

void FireEngine::drawParticles(ParticleList& list, uint32_t* frame) const {
    ::drawParticles(list, glyphSheet_, frame, width_, height_);
}

void FireEngine::moveParticles(ParticleList& list) const {
    ::moveParticles(list, width_);
}
