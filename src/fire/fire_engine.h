#pragma once
// The fire engine: a grid of integer heat values the size of the picture. Each step seeds the
// second-to-last row at random and runs one in-place averaging pass that carries heat upward;
// `render` turns the grid into 0x00RRGGBB pixels through the current palette. The engine also
// holds the glyph sheet and the message script of the run, and writes the message text over the
// fire with them (src/text/ holds those parts).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "seams/clock.h"

#include "text/glyph_sheet.h"
#include "text/message_script.h"
#include "text/particle_list.h"

class FireEngine {
  public:
    FireEngine(int32_t width, int32_t height, uint32_t paletteSize);
    ~FireEngine();
    FireEngine(const FireEngine&) = delete;
    FireEngine& operator=(const FireEngine&) = delete;

    // --- heat grid ---
    void step();
    void diffuse();
    // Writes rows 0 ... height-3 of the grid to pixel rows 2 ... height-1 of `pixels` (row
    // stride `width`); returns the number of pixels written.
    int32_t render(uint32_t* pixels) const;
    // No bounds check: callers pass 0 <= x < width and 0 <= y < height.
    void setCell(int32_t x, int32_t y, int32_t value) {
        heat_[size_t(y) * size_t(width_) + size_t(x)] = value;
    }

    // --- palettes ---
    void buildStandardPalette();
    void buildYellowPalette();
    // Only the low 16 bits of `factor` count, as a signed 16-bit number.
    void blendPalettes(int32_t factor);

    // --- glyph sheet (text/glyph_sheet.h) ---
    // 1 loaded, -1 cannot open, -2 wrong image type or pixel depth (or a broken header).
    int32_t loadFont(const char* path, int32_t glyphSize) {
        return glyphSheet_.load(path, glyphSize);
    }

    // --- message script (text/message_script.h) ---
    bool openScript(const char* path) { return script_.open(path); }
    MessageScript& script() { return script_; }
    const MessageScript& script() const { return script_; }
    // Reads the next entry, keeps its hold time and its text, and lays the text out: its
    // characters read from UTF-8 (text/text_decoding.h), the clock's parts in it shown as
    // `clock` has them now (text/time_escapes.h; without a clock, as at the start of 1970).
    std::unique_ptr<ParticleList> nextMessage(Clock* clock = nullptr);
    uint32_t getHoldTime() const { return holdTime_; }
    // Whether the current message shows the time; then relayoutMessage lays it out again, in
    // place, for `now`, or gives null when it would show what it shows already.
    bool messageShowsTime() const { return showsTime_; }
    std::unique_ptr<ParticleList> relayoutMessage(const LocalTime& now);
    // What the current message shows.
    const std::u32string& shownText() const { return shownText_; }
    // Asks for the characters of `text` that the sheet lacks to be made from the system's fonts
    // (text/system_glyphs.h); returns at once.
    void prepareGlyphs(std::u32string_view text) const;

    // --- glyph particles (text/glyph_particles.h), on the engine's frame; a character the
    // sheet lacks is drawn from the system's fonts once it has been made ---
    // `text` in UTF-8, or characters.
    std::unique_ptr<ParticleList> layoutMessage(int32_t x, int32_t y, const char* text) const;
    std::unique_ptr<ParticleList> layoutMessage(int32_t x, int32_t y,
                                                std::u32string_view text) const;
    void drawGlyph(int32_t x, int32_t y, char32_t character, uint32_t* frame) const;
    void drawParticles(ParticleList& list, uint32_t* frame) const;
    void moveParticles(ParticleList& list) const;

    // --- read access, for the other subsystems and for tests ---
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint32_t paletteSize() const { return paletteSize_; }
    std::span<const int32_t> heat() const { return heat_; }
    std::span<const uint32_t> standardPalette() const { return standardPalette_; }
    std::span<const uint32_t> yellowPalette() const { return yellowPalette_; }
    std::span<const uint32_t> currentPalette() const { return currentPalette_; }
    const GlyphSheet& glyphSheet() const { return glyphSheet_; }
    int32_t glyphSize() const { return glyphSheet_.glyphSize(); }
    int32_t fontWidth() const { return glyphSheet_.width(); }
    int32_t fontHeight() const { return glyphSheet_.height(); }
    std::span<const uint32_t> fontPixels() const { return glyphSheet_.pixels(); }
    bool fontLoaded() const { return glyphSheet_.loaded(); }

  private:
    int32_t width_;
    int32_t height_;
    uint32_t paletteSize_;
    std::vector<int32_t> heat_;
    std::vector<uint32_t> standardPalette_;
    std::vector<uint32_t> yellowPalette_;
    std::vector<uint32_t> currentPalette_;
    GlyphSheet glyphSheet_;
    uint32_t holdTime_ = 0;
    MessageScript script_;
    // The current message: its text as the script has it, and what it shows now.
    std::u32string messageText_;
    std::u32string shownText_;
    int32_t messageX_ = 0;
    int32_t messageY_ = 0;
    bool showsTime_ = false;
};
