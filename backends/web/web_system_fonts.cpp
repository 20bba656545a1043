#include "web/web_system_fonts.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>

namespace {
// Beyond this the canvas alone would take more memory than the page has.
constexpr int largestGrid = 4096;
// Code points that no font draws (noncharacters), one in the Basic Multilingual Plane and one
// beyond it: what the browser shows for them is what it shows for any character that none of
// its fonts has.
constexpr char32_t inNoFont[] = {0xFDD0, 0x10FFFE};

// A character's ink as measureText gives it, from the pen's position on the baseline: how far it
// reaches to the left, to the right, up and down, and how far the pen moves on.
struct Ink {
    float left = 0, right = 0, ascent = 0, descent = 0, advance = 0;
    bool operator==(const Ink&) const = default;
    float width() const { return left + right; }
    float height() const { return ascent + descent; }
};

// The JavaScript below is written without arrow functions and strict equality: the preprocessor
// that carries it into the script splits "=>" and "===". The canvas is kept on Module, the one
// object the three share.

// Makes the canvas the characters are drawn in, size x size, once: an OffscreenCanvas where the
// browser has one that draws text, else a <canvas> that is never put in the page. The browser
// picks the fallback font of a Han character by the language it is told, so it is told the
// user's, not the page's own (English). 1 when there is one.
EM_JS(int, browserOpenGlyphCanvas, (int size), {
    try {
        var kept = Module.emberhallGlyphs;
        if (kept && kept.canvas.width == size && kept.canvas.height == size)
            return 1;
        var options = {willReadFrequently : true};
        var context = null;
        try {
            if (typeof OffscreenCanvas != 'undefined')
                context = new OffscreenCanvas(size, size).getContext('2d', options);
        } catch (error) {
            context = null;
        }
        if (!context) {
            var canvas = document.createElement('canvas');
            canvas.width = size;
            canvas.height = size;
            context = canvas.getContext('2d', options);
        }
        if (!context)
            return 0;
        var language = (navigator.languages && navigator.languages[0]) || navigator.language;
        if (language && 'lang' in context)
            context.lang = language;
        else if (language && context.canvas.setAttribute)
            context.canvas.setAttribute('lang', language);
        Module.emberhallGlyphs = context;
        return 1;
    } catch (error) {
        return 0;
    }
});

// Writes the ink of `character` in the bold sans-serif at `em` pixels into ink[0 ... 4]
// (left, right, ascent, descent, advance); 0 when the browser does not measure ink.
EM_JS(int, browserMeasureInk, (int character, double em, float* ink), {
    try {
        var context = Module.emberhallGlyphs;
        context.font = 'bold ' + em + 'px sans-serif';
        var measures = context.measureText(String.fromCodePoint(character));
        var values = [
            measures.actualBoundingBoxLeft, measures.actualBoundingBoxRight,
            measures.actualBoundingBoxAscent, measures.actualBoundingBoxDescent, measures.width
        ];
        for (var i = 0; i < values.length; ++i) {
            if (typeof values[i] != 'number' || !isFinite(values[i]))
                return 0;
            HEAPF32[(ink >> 2) + i] = values[i];
        }
        return 1;
    } catch (error) {
        return 0;
    }
});

// Draws `character` white, its pen at (x, baseline) and scaled by `scale` about that point, and
// reads the alpha of the whole canvas into coverage (size x size bytes). 1 when drawn.
EM_JS(int, browserDrawInk,
      (int character, int size, double em, double scale, double x, double baseline,
       uint8_t* coverage),
      {
          try {
              var context = Module.emberhallGlyphs;
              context.setTransform(1, 0, 0, 1, 0, 0);
              context.clearRect(0, 0, size, size);
              context.font = 'bold ' + em + 'px sans-serif';
              context.fillStyle = '#fff';
              context.textAlign = 'left';
              context.textBaseline = 'alphabetic';
              context.setTransform(scale, 0, 0, scale, x, baseline);
              context.fillText(String.fromCodePoint(character), 0, 0);
              var pixels = context.getImageData(0, 0, size, size).data;
              for (var i = 0, n = size * size; i < n; ++i)
                  HEAPU8[coverage + i] = pixels[4 * i + 3];
              return 1;
          } catch (error) {
              return 0;
          }
      });

bool measureInk(char32_t character, float em, Ink& ink) {
    float values[5] = {};
    if (!browserMeasureInk(int(character), em, values))
        return false;
    ink = Ink{values[0], values[1], values[2], values[3], values[4]};
    return true;
}

// Whether the browser draws nothing for the character, or what it draws for one that no font
// has. That is told by the ink's measures, not its pixels: Chromium draws one box for every such
// code point, but other browsers write the code point into a box of one size (Firefox) or draw
// the box of its block (Safari's last-resort font), so their pixels differ where the measures
// agree.
bool inNoFontOfTheBrowser(const Ink& ink, float em) {
    if (!(ink.width() > 0 && ink.height() > 0))
        return true;
    return std::any_of(std::begin(inNoFont), std::end(inNoFont), [&](char32_t missing) {
        Ink box;
        return measureInk(missing, em, box) && box == ink;
    });
}

bool usable(const GlyphPlacement& p) {
    const float values[] = {p.em, p.baseline, p.left, p.right, p.top, p.bottom};
    return p.size > 0 && p.size <= largestGrid && p.em > 0 && p.em <= float(largestGrid) &&
           std::all_of(std::begin(values), std::end(values),
                       [](float v) { return std::isfinite(v); });
}

// The factor, at most 1, by which the ink measured at the em size is drawn so that it fits the
// box with its baseline kept on the baseline row; 0 when it cannot.
float fittingScale(const Ink& ink, const GlyphPlacement& p) {
    float scale = std::min(1.0f, (p.right - p.left) / ink.width());
    if (ink.ascent > 0)
        scale = std::min(scale, (p.baseline - p.top) / ink.ascent);
    if (ink.descent > 0)
        scale = std::min(scale, (p.bottom - p.baseline) / ink.descent);
    return std::isfinite(scale) && scale > 0 ? scale : 0.0f;
}
} // namespace

bool WebSystemFonts::drawCharacter(char32_t character, const GlyphPlacement& placement,
                                   std::vector<uint8_t>& coverage) {
    // String.fromCodePoint would refuse anything else, and a lone surrogate is no character.
    if (character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF) ||
        !usable(placement) || !browserOpenGlyphCanvas(placement.size))
        return false;
    Ink ink;
    if (!measureInk(character, placement.em, ink) || inNoFontOfTheBrowser(ink, placement.em))
        return false;
    const float scale = fittingScale(ink, placement);
    if (scale <= 0)
        return false;
    // The middle of the ink, (right - left) / 2 from the pen, goes to the middle of the box.
    const float x = (placement.left + placement.right) / 2 - scale * (ink.right - ink.left) / 2;
    coverage.assign(std::size_t(placement.size) * std::size_t(placement.size), 0);
    return browserDrawInk(int(character), placement.size, placement.em, scale, x,
                          placement.baseline, coverage.data()) != 0;
}
