#pragma once
// Characters the glyph sheet lacks, made from the system's fonts (seams/system_fonts.h) in the
// sheet's look (text/ember_look.h). Each is made once per process, on a thread of its own, so
// that no frame waits on a font: a message's characters are asked for when the script is opened
// and when the message is laid out, and a character not yet made keeps its empty cell until it
// is. At most a bounded number are kept; past that, characters stay empty. A host without
// threads (the page) makes them in place, when they are asked for.
#include <chrono>
#include <cstdint>
#include <string_view>

// Whether a character may come from the system's fonts: scripts written left to right whose
// characters stand alone (Han, kana, Hangul syllables, Armenian, Georgian, Ethiopic, Thai
// letters, symbols, and the rest of Latin, Greek and Cyrillic). Not: blanks and controls,
// combining marks, right-to-left scripts, scripts whose letters join or stack (Arabic, the
// Indic scripts, Tibetan, Myanmar, Khmer, conjoining jamo), private use, and the pictographs
// that fonts draw as colour emoji.
bool drawnFromSystemFonts(char32_t character);

// How many characters are kept at most (10 kB each at the saver's 50-pixel cells).
constexpr std::size_t systemGlyphLimit = 1024;

// Asks for the characters of `text` that `hasSheetGlyph` says the sheet lacks, at cells of
// `cell` pixels; returns at once, or once made where there are no threads.
template <typename HasSheetGlyph>
void prepareSystemGlyphs(std::u32string_view text, int cell, HasSheetGlyph hasSheetGlyph);
void prepareSystemGlyph(char32_t character, int cell);
// Waits until every character of `text` that was asked for is made or found in no font, or
// until `by`; true when none is still to come.
bool systemGlyphsReady(std::u32string_view text, int cell,
                       std::chrono::steady_clock::time_point by);
// The made cell of `character` (cell x cell pixels 0x00RRGGBB, top row first, 0 transparent),
// or null: not asked for, not made yet, in no font, or past the limit.
const uint32_t* systemGlyph(char32_t character, int cell);

// For tests: forgets every character, and the fonts' answers with them.
void resetSystemGlyphsForTesting();

template <typename HasSheetGlyph>
void prepareSystemGlyphs(std::u32string_view text, int cell, HasSheetGlyph hasSheetGlyph) {
    for (const char32_t c : text) {
        if (drawnFromSystemFonts(c) && !hasSheetGlyph(c))
            prepareSystemGlyph(c, cell);
    }
}
