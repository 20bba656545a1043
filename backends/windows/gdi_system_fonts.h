#pragma once
// The system's fonts on Windows, through GDI, which every Windows has and Wine provides (Wine
// offers the host's fontconfig fonts too). A character is drawn from the first font that has it:
// a few faces of the system's own for its script, the user's language's first, then fonts that
// Wine brings, then every installed family. Characters beyond the Basic Multilingual Plane are
// left out: GDI's glyph calls take a single UTF-16 unit.
//
// Every GDI object is made on the thread that draws, when it first draws, and lives as long as
// this object; the store (text/system_glyphs.h) draws on one thread of its own.
#include <memory>
#include <string>

#include "seams/system_fonts.h"

class GdiSystemFonts final : public SystemFonts {
  public:
    GdiSystemFonts();
    ~GdiSystemFonts() override;
    GdiSystemFonts(const GdiSystemFonts&) = delete;
    GdiSystemFonts& operator=(const GdiSystemFonts&) = delete;

    bool drawCharacter(char32_t character, const GlyphPlacement& placement,
                       std::vector<uint8_t>& coverage) override;

  private:
    struct Gdi;
    std::wstring locale_; // the user's, e.g. "zh-CN": whose faces come first
    std::unique_ptr<Gdi> gdi_;
};
