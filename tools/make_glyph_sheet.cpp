// Draws the default glyph sheet, a 32-bit TGA image (type 2, stored bottom row first) of 50 x 50
// cells: the classic first row for the characters 'A' to 'z', then rows for the rest of Windows'
// pan-European character set WGL4 (printable ASCII with the digits and punctuation, Latin-1,
// Latin Extended-A, Greek, Cyrillic, the dashes, quotes, arrows, box drawing and the common
// signs), as far as the font has them, listed row by row in the text file beside the image. The
// letters wear the ember look of text/ember_look.h, which the saver also gives characters it
// makes from the system's fonts at run time.
//
//   make_glyph_sheet [output.tga] [font.ttf]
//
// Without arguments it writes data/fire_fonts/font.tga and font.txt of the source tree from
// DejaVu Sans Mono Bold. Messages are laid out at a fixed step of one cell a letter, so a
// monospaced face reads best: its narrow letters (i, l, r, t, f) are drawn with arms and feet that
// fill their place, where a proportional face leaves them standing alone in wide gaps. The letters
// fill their cells: the capitals' ink is 43 of the 50 rows, and each letter is drawn half as wide
// again as the font has it. The drawing is deterministic: the same font file gives the same bytes.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "text/ember_look.h"
#include "text/glyph_sheet.h"
#include "text/text_decoding.h"

namespace {

constexpr int cell = 50;
constexpr char firstCharacter = 'A';
constexpr char lastCharacter = 'z';
constexpr int cellCount = lastCharacter - firstCharacter + 1; // 58, in every row

// WGL4, as ranges of code points (first, last).
constexpr std::pair<char32_t, char32_t> wgl4[] = {
    {0x0020, 0x007E}, {0x00A0, 0x017F}, {0x0192, 0x0192}, {0x01FA, 0x01FF}, {0x02C6, 0x02C7},
    {0x02C9, 0x02C9}, {0x02D8, 0x02DD}, {0x0384, 0x038A}, {0x038C, 0x038C}, {0x038E, 0x03A1},
    {0x03A3, 0x03CE}, {0x0401, 0x040C}, {0x040E, 0x044F}, {0x0451, 0x045C}, {0x045E, 0x045F},
    {0x0490, 0x0491}, {0x1E80, 0x1E85}, {0x1EF2, 0x1EF3}, {0x2013, 0x2015}, {0x2017, 0x201E},
    {0x2020, 0x2022}, {0x2026, 0x2026}, {0x2030, 0x2030}, {0x2032, 0x2033}, {0x2039, 0x203A},
    {0x203C, 0x203C}, {0x203E, 0x203E}, {0x2044, 0x2044}, {0x207F, 0x207F}, {0x20A3, 0x20A4},
    {0x20A7, 0x20A7}, {0x20AC, 0x20AC}, {0x2105, 0x2105}, {0x2113, 0x2113}, {0x2116, 0x2116},
    {0x2122, 0x2122}, {0x2126, 0x2126}, {0x212E, 0x212E}, {0x215B, 0x215E}, {0x2190, 0x2195},
    {0x21A8, 0x21A8}, {0x2202, 0x2202}, {0x2206, 0x2206}, {0x220F, 0x220F}, {0x2211, 0x2212},
    {0x2215, 0x2215}, {0x2219, 0x221A}, {0x221E, 0x221F}, {0x2229, 0x2229}, {0x222B, 0x222B},
    {0x2248, 0x2248}, {0x2260, 0x2261}, {0x2264, 0x2265}, {0x2302, 0x2302}, {0x2310, 0x2310},
    {0x2320, 0x2321}, {0x2500, 0x2500}, {0x2502, 0x2502}, {0x250C, 0x250C}, {0x2510, 0x2510},
    {0x2514, 0x2514}, {0x2518, 0x2518}, {0x251C, 0x251C}, {0x2524, 0x2524}, {0x252C, 0x252C},
    {0x2534, 0x2534}, {0x253C, 0x253C}, {0x2550, 0x256C}, {0x2580, 0x2580}, {0x2584, 0x2584},
    {0x2588, 0x2588}, {0x258C, 0x258C}, {0x2590, 0x2593}, {0x25A0, 0x25A1}, {0x25AA, 0x25AC},
    {0x25B2, 0x25B2}, {0x25BA, 0x25BA}, {0x25BC, 0x25BC}, {0x25C4, 0x25C4}, {0x25CA, 0x25CB},
    {0x25CF, 0x25CF}, {0x25D8, 0x25D9}, {0x25E6, 0x25E6}, {0x263A, 0x263C}, {0x2640, 0x2640},
    {0x2642, 0x2642}, {0x2660, 0x2660}, {0x2663, 0x2663}, {0x2665, 0x2666}, {0x266A, 0x266B},
    {0xFB01, 0xFB02}};
// Everything is drawn on the look's finer grid and then averaged down, for smooth edges.
constexpr int fine = emberFineness;
constexpr int fineCell = cell * fine;
constexpr float outlineWidth = emberOutlineWidth;
// Room kept free between the letter and the cell's edge, in sheet pixels: the outline, then one
// empty row and column all round (a quarter pixel more for rounding), so that no ink reaches the
// edge of the cell and letters of neighbouring cells never run into one another.
constexpr float cellMargin = outlineWidth + 1.25f;
// The font's bold made heavier still, so that each stroke has room for a hot core: the letters
// grow by this much across (thicker upright stems) and in height (thicker bars), in sheet pixels.
// Widening thickens the stems already, so the bars get more.
constexpr float stemWeight = 2.0f;
constexpr float barWeight = 3.0f;
// The letters are set this much wider than the font draws them. The message layout steps 50
// pixels a letter, far more than the font's own advance at this size (about 30 pixels); wider
// letters close the gaps, so that words read as words rather than as spaced-out letters.
constexpr float widen = 1.5f;
// The baseline, in sheet pixels from the top of the cell. Capitals fill the room above it; the
// room below holds descenders of about half their natural length. With the baseline a pixel
// lower, q is hard to tell from a.
constexpr float baseline = 40.0f;
// The room the letters are fitted into before bolding, in sheet pixels.
constexpr float roomAbove = baseline - cellMargin - 0.5f * barWeight;
constexpr float roomBelow = float(cell) - cellMargin - 0.5f * barWeight - baseline;
constexpr float roomAcross = float(cell) - 2.0f * cellMargin - stemWeight;
constexpr const char* defaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Font() {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

// Top of a character's ink above the baseline, in em, from its unhinted outline.
float inkTop(FT_Face face, char32_t c) {
    if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
        return 0.0f;
    return float(face->glyph->metrics.horiBearingY) / (64.0f * float(face->size->metrics.y_ppem));
}

// The size of the letters, shared by all so that words sit on one line.
struct Scale {
    float em = 0.0f;      // sheet pixels to the em
    float xHeight = 0.0f; // top of the lower-case letters above the baseline, in sheet pixels
};

// Coverage (0 ... 1) of one character on the fine grid of its cell. The letter is widened, or
// narrowed where it would not fit across; what stands above the x-height (ascenders, the dot of
// i and j) and what hangs below the baseline (descenders) is pressed together as far as needed
// to fit the room above and below, so that letters keep their shape where words are read and
// nothing is cut at the cell's edge. Then it is made bolder, centred across the cell and set on
// the shared baseline.
std::vector<float> fineCoverage(FT_Face face, char32_t c, Scale scale) {
    std::vector<float> coverage(size_t(fineCell * fineCell), 0.0f);
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(scale.em * fine * 64.0f)), 72, 72);
    if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
        return coverage;
    const FT_GlyphSlot slot = face->glyph;
    FT_Outline* outline = &slot->outline;

    // Outline coordinates are 26.6 fixed point on the fine grid, y up from the baseline; the
    // sizes below are in sheet pixels.
    constexpr float unit = 64.0f * fine;
    FT_BBox box;
    FT_Outline_Get_BBox(outline, &box);
    const float width = float(box.xMax - box.xMin) / unit;
    const float above = float(box.yMax) / unit, below = -float(box.yMin) / unit;
    const float across = width > 0.0f ? std::min(widen, roomAcross / width) : 1.0f;
    const float xHeight = std::min(scale.xHeight, roomAbove);
    const float up = above > roomAbove ? (roomAbove - xHeight) / (above - xHeight) : 1.0f;
    const float down = below > roomBelow ? roomBelow / below : 1.0f;
    const float bend = xHeight * unit;
    for (FT_Vector& point : std::span(outline->points, size_t(outline->n_points))) {
        float y = float(point.y);
        if (y > bend)
            y = bend + (y - bend) * up;
        else if (y < 0.0f)
            y *= down;
        point.x = FT_Pos(std::lround(float(point.x) * across));
        point.y = FT_Pos(std::lround(y));
    }
    // FreeType's bolding keeps the left and bottom edges where they were and grows the letter
    // to the right and upward; moving it back down by half the growth keeps it on its baseline
    // with the extra weight shared between top and bottom.
    const FT_Pos barGrowth = FT_Pos(std::lround(barWeight * unit));
    FT_Outline_EmboldenXY(outline, FT_Pos(std::lround(stemWeight * unit)), barGrowth);
    FT_Outline_Get_BBox(outline, &box);
    // Bolding draws sharp corners out further than the stems grow: slanted strokes (X, Y, x)
    // can end up wider than the room and are narrowed once more.
    const float bolderWidth = float(box.xMax - box.xMin) / unit;
    if (bolderWidth > roomAcross + stemWeight) {
        const FT_Matrix narrow{
            FT_Fixed(std::lround((roomAcross + stemWeight) / bolderWidth * 65536.0f)), 0, 0,
            0x10000};
        FT_Outline_Transform(outline, &narrow);
        FT_Outline_Get_BBox(outline, &box);
    }
    const FT_Pos centre = FT_Pos(std::lround(float(cell) * 0.5f * unit));
    FT_Outline_Translate(outline, centre - (box.xMin + box.xMax) / 2, -barGrowth / 2);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL))
        return coverage;

    const FT_Bitmap& bitmap = slot->bitmap;
    const int originY = int(std::lround(baseline * fine));
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned col = 0; col < bitmap.width; ++col) {
            const int x = slot->bitmap_left + int(col);
            const int y = originY - slot->bitmap_top + int(row);
            if (x < 0 || y < 0 || x >= fineCell || y >= fineCell)
                continue;
            coverage[size_t(y * fineCell + x)] =
                bitmap.buffer[row * unsigned(bitmap.pitch) + col] / 255.0f;
        }
    }
    return coverage;
}

bool writeTga(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const uint8_t header[18] = {0,
                                0,
                                2,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                uint8_t(width),
                                uint8_t(width >> 8),
                                uint8_t(height),
                                uint8_t(height >> 8),
                                32,
                                8}; // eight alpha bits, stored bottom row first
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    std::vector<uint8_t> row(size_t(width) * 4);
    for (int y = height - 1; y >= 0 && ok; --y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            uint8_t* out = row.data() + size_t(x) * 4;
            out[0] = uint8_t(p);
            out[1] = uint8_t(p >> 8);
            out[2] = uint8_t(p >> 16);
            out[3] = p ? 255 : 0;
        }
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    const std::string output =
        argc > 1 ? argv[1] : EMBERHALL_SOURCE_DIR "/data/fire_fonts/font.tga";
    const char* fontPath = argc > 2 ? argv[2] : defaultFont;

    Font font;
    if (FT_Init_FreeType(&font.library) || FT_New_Face(font.library, fontPath, 0, &font.face)) {
        std::fprintf(stderr, "make_glyph_sheet: cannot read the font %s\n", fontPath);
        return 1;
    }

    // The capitals reach from the baseline to the top of the room; the lower case keeps the
    // font's own proportion to them.
    FT_Set_Pixel_Sizes(font.face, 0, 1000);
    const float capHeight = inkTop(font.face, 'H'), xHeight = inkTop(font.face, 'x');
    if (capHeight <= 0.0f || xHeight <= 0.0f) {
        std::fprintf(stderr, "make_glyph_sheet: the font %s has no letters H and x\n", fontPath);
        return 1;
    }
    Scale scale;
    scale.em = roomAbove / capHeight;
    scale.xHeight = xHeight * scale.em;

    // The first row as every sheet has it, then the rest of WGL4 that has ink in the font.
    std::u32string characters;
    for (char32_t c = char32_t(firstCharacter); c <= char32_t(lastCharacter); ++c)
        characters += c;
    for (const auto& [first, last] : wgl4) {
        for (char32_t c = first; c <= last; ++c) {
            const bool inFirstRow = c >= char32_t(firstCharacter) && c <= char32_t(lastCharacter);
            // Blanks have no ink to draw; a character the font lacks is left to the system's.
            if (!inFirstRow && c != U' ' && c != 0xA0 && FT_Get_Char_Index(font.face, c) != 0)
                characters += c;
        }
    }
    const int rows = int(characters.size() + cellCount - 1) / cellCount;
    const int width = cell * cellCount;
    std::vector<uint32_t> sheet(size_t(width) * size_t(cell * rows), 0);
    std::string list;
    for (size_t k = 0; k < characters.size(); ++k) {
        const int row = int(k) / cellCount, column = int(k) % cellCount;
        const std::vector<uint32_t> pixels =
            emberCell(fineCoverage(font.face, characters[k], scale), cell);
        for (int y = 0; y < cell; ++y)
            std::copy_n(pixels.begin() + y * cell, cell,
                        sheet.begin() + (row * cell + y) * width + column * cell);
        if (row > 0) {
            list += encodeUtf8(std::u32string(1, characters[k]));
            if (column == cellCount - 1 || k + 1 == characters.size())
                list += '\n';
        }
    }

    const std::string listPath = GlyphSheet::characterListPath(output);
    std::FILE* listFile = std::fopen(listPath.c_str(), "wb");
    const bool listWritten =
        listFile && std::fwrite(list.data(), 1, list.size(), listFile) == list.size();
    if (listFile && std::fclose(listFile) != 0)
        return 1;
    if (!writeTga(output, sheet, width, cell * rows) || !listWritten) {
        std::fprintf(stderr, "make_glyph_sheet: cannot write %s and %s\n", output.c_str(),
                     listPath.c_str());
        return 1;
    }
    std::printf("%s: %zu characters in %d rows of %d cells of %d x %d, letters %.1f pixels to "
                "the em; the rows after the first listed in %s\n",
                output.c_str(), characters.size(), rows, cellCount, cell, cell, double(scale.em),
                listPath.c_str());
    return 0;
}
