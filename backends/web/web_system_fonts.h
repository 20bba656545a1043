#pragma once
// The page's fonts for the characters the glyph sheet lacks: the browser draws each one, with its
// own fonts and their fallback for the user's language, into a canvas that is never shown, and
// the ink is read back as coverage. The page has no threads, so the core asks in place, one
// character at a time, and each character costs a measure, one drawing and one read-back.
#include "seams/system_fonts.h"

class WebSystemFonts : public SystemFonts {
  public:
    bool drawCharacter(char32_t character, const GlyphPlacement& placement,
                       std::vector<uint8_t>& coverage) override;
};
