// Checks a screenshot of a held message against the glyph sheet, cell by cell: the message is
// laid out and drawn as the saver does, onto an empty frame, and every pixel a glyph draws must
// stand in the screenshot exactly so. A character that should hold ink and has none in the
// sheet is a fault too; with --system-glyphs, such a character is one the saver made from the
// system's fonts instead, and its cell must hold ink in the ember look (every pixel with blue),
// the same for the same character and different for different ones.
//   message_check [--system-glyphs] SHEET.tga X Y TEXT SCREENSHOT.rgb
// TEXT is what the message shows, in UTF-8; the screenshot is 1024 x 768 raw RGB (ImageMagick:
// convert shot.png rgb:SCREENSHOT.rgb), in the standard colours (no fire pixel has blue). Exit
// code 0 when every glyph pixel matches.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fire/fire_engine.h"
#include "scene/fire_scene.h"
#include "text/text_decoding.h"

namespace {
constexpr int width = FireScene::width, height = FireScene::height, cell = FireScene::glyphSize;

// The ink of the cell at (x, y) of the screenshot: its pixels with blue, others 0.
std::vector<uint32_t> inkAt(const std::vector<unsigned char>& shot, int x, int y) {
    std::vector<uint32_t> ink(std::size_t(cell) * cell, 0);
    for (int row = 0; row < cell; ++row) {
        for (int column = 0; column < cell; ++column) {
            const int sx = x + column, sy = y + row;
            if (sx < 0 || sy < 0 || sx >= width || sy >= height)
                continue;
            const unsigned char* p = &shot[3 * (std::size_t(sy) * width + std::size_t(sx))];
            if (p[2] != 0)
                ink[std::size_t(row) * cell + std::size_t(column)] =
                    uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    return ink;
}

// The cells of the characters the sheet lacks: ink in each, one look per character, and a
// different one for each character. Returns the number of faults, and says what they are.
int checkSystemCells(FireEngine& engine, ParticleList& message,
                     const std::vector<unsigned char>& shot) {
    std::map<char32_t, std::vector<uint32_t>> seen;
    int faults = 0, cells = 0;
    for (GlyphParticle* p = message.first(); p; p = message.next()) {
        const char32_t c = p->character;
        if (c == U' ' || c == U'+' || c == U'-' || c == U'*' || engine.glyphSheet().hasGlyph(c))
            continue;
        ++cells;
        const std::vector<uint32_t> ink = inkAt(shot, int(p->x), int(p->y));
        const long pixels =
            std::count_if(ink.begin(), ink.end(), [](uint32_t v) { return v != 0; });
        const std::string name = encodeUtf8(std::u32string(1, c));
        if (pixels < 30) {
            std::printf("%s: %ld pixels of ink\n", name.c_str(), pixels);
            ++faults;
        }
        const auto [same, added] = seen.emplace(c, ink);
        if (!added && same->second != ink) {
            std::printf("%s: drawn differently in two cells\n", name.c_str());
            ++faults;
        }
    }
    for (auto a = seen.begin(); a != seen.end(); ++a) {
        for (auto b = std::next(a); b != seen.end(); ++b) {
            if (a->second == b->second) {
                std::printf("%s and %s: the same cell\n",
                            encodeUtf8(std::u32string(1, a->first)).c_str(),
                            encodeUtf8(std::u32string(1, b->first)).c_str());
                ++faults;
            }
        }
    }
    std::printf("%d cells from the system's fonts, %zu characters, %d faults\n", cells, seen.size(),
                faults);
    return faults;
}
} // namespace

int main(int argc, char** argv) {
    const bool systemGlyphs = argc > 1 && std::strcmp(argv[1], "--system-glyphs") == 0;
    if (systemGlyphs) {
        --argc;
        ++argv;
    }
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: message_check [--system-glyphs] SHEET.tga X Y TEXT SCREENSHOT.rgb\n");
        return 2;
    }
    FireEngine engine(width, height, FireScene::paletteSize);
    if (engine.loadFont(argv[1], FireScene::glyphSize) != 1) {
        std::fprintf(stderr, "message_check: %s is no glyph sheet\n", argv[1]);
        return 2;
    }
    std::ifstream in(argv[5], std::ios::binary);
    const std::vector<unsigned char> shot{std::istreambuf_iterator<char>(in), {}};
    if (shot.size() != std::size_t(width) * height * 3) {
        std::fprintf(stderr, "message_check: %s is not a 1024 x 768 RGB picture\n", argv[5]);
        return 2;
    }

    const std::u32string text = decodeText(argv[4]);
    auto message = engine.layoutMessage(std::atoi(argv[2]), std::atoi(argv[3]), text);
    std::vector<uint32_t> expected(std::size_t(width) * height, 0);
    engine.drawParticles(*message, expected.data());

    // Each character that draws: its cell must have ink of its own.
    std::string inkless;
    for (const char32_t c : text) {
        if (c == U' ' || c == U'+' || c == U'-' || c == U'*' ||
            (systemGlyphs && !engine.glyphSheet().hasGlyph(c)))
            continue;
        std::vector<uint32_t> cell(std::size_t(width) * height, 0);
        engine.drawGlyph(0, 5, c, cell.data());
        bool ink = false;
        for (const uint32_t p : cell)
            ink = ink || p != 0;
        if (!ink)
            inkless += encodeUtf8(std::u32string(1, c)) + " ";
    }
    long ink = 0, differ = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == 0)
            continue;
        ++ink;
        const uint32_t seen =
            uint32_t(shot[3 * i]) << 16 | uint32_t(shot[3 * i + 1]) << 8 | shot[3 * i + 2];
        differ += seen != expected[i];
    }
    std::printf("%zu characters, %ld glyph pixels of the sheet, %ld differ%s%s\n", text.size(), ink,
                differ, inkless.empty() ? "" : "; no ink in the sheet for: ", inkless.c_str());
    const int systemFaults = systemGlyphs ? checkSystemCells(engine, *message, shot) : 0;
    return (ink > 0 || systemGlyphs) && differ == 0 && inkless.empty() && systemFaults == 0 ? 0 : 1;
}
