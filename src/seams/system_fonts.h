#pragma once
// The system's fonts, for the characters of a message that the glyph sheet lacks: Chinese,
// Japanese, Korean and other scripts whose characters stand alone. Each home draws with what it
// has (fontconfig and FreeType on Linux, GDI on Windows, the browser's fonts in a page); the
// core gives the result the sheet's look (text/ember_look.h) and keeps it (text/system_glyphs.h).
// A backend hands its fonts over once, at the start of the process; without them such
// characters keep their empty cells.
#include <cstdint>
#include <memory>
#include <vector>

// Where a character's ink goes, on a square grid of `size` x `size` points (the cell, drawn finer
// for smooth edges), y down from the top.
struct GlyphPlacement {
    int size = 200;
    float em = 160.0f;       // the font's size: its em square, in points of the grid
    float baseline = 160.0f; // the row the character stands on
    // The ink stays inside this box: centred between left and right, and drawn smaller, by the
    // same factor across and down, where it would not fit at `em`.
    float left = 16.0f, right = 184.0f, top = 16.0f, bottom = 184.0f;
};

class SystemFonts {
  public:
    virtual ~SystemFonts() = default;
    // The coverage of `character` (size x size values, 0 outside ... 255 inside, top row first)
    // in a bold face of a font that has it, the user's language's first, placed as asked; false
    // when no font of the system has it. Called on a thread of its own, one call at a time, and
    // may take long (the first call may load the fonts).
    virtual bool drawCharacter(char32_t character, const GlyphPlacement& placement,
                               std::vector<uint8_t>& coverage) = 0;
};

void useSystemFonts(std::shared_ptr<SystemFonts> fonts);
