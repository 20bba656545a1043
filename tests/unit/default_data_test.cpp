#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fire/fire_engine.h"
#include "text/glyph_particles.h"
#include "text/glyph_sheet.h"
#include "text/text_decoding.h"

namespace {

const std::string sheetPath = EMBERHALL_SOURCE_DIR "/data/fire_fonts/font.tga";
const std::string scriptPath = EMBERHALL_SOURCE_DIR "/data/fire_data/motd.txt";
constexpr int cell = 50;
constexpr int cellCount = 'z' - 'A' + 1;

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Ink {
    int pixels = 0;
    int left = cell, right = -1, top = cell, bottom = -1;
};

Ink inkOf(const FireEngine& engine, char c) {
    Ink ink;
    const int start = (c - 'A') * cell;
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            if (engine.fontPixels()[size_t(y) * engine.fontWidth() + start + x] == 0)
                continue;
            ++ink.pixels;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

} // namespace

// The classic strip of 58 cells from 'A' on is the first row; the rows below it hold the rest
// of WGL4, one line of the character list a row.
TEST(DefaultGlyphSheet, isA32BitTrueColourSheetOf58CellsARowWithItsCharacterList) {
    const std::vector<uint8_t> bytes = readAll(sheetPath);
    const int rows = (bytes[14] | bytes[15] << 8) / cell;
    ASSERT_GE(rows, 2);
    ASSERT_EQ(bytes.size(), 18u + size_t(cellCount) * cell * cell * 4 * size_t(rows));
    EXPECT_EQ(bytes[0], 0); // no ID field
    EXPECT_EQ(bytes[2], 2); // uncompressed true colour
    EXPECT_EQ(bytes[12] | bytes[13] << 8, cellCount * cell);
    EXPECT_EQ(bytes[14] | bytes[15] << 8, cell * rows);
    EXPECT_EQ(bytes[16], 32);
    EXPECT_EQ(bytes[17] & 0x20, 0); // stored bottom row first
    const std::vector<uint8_t> list = readAll(GlyphSheet::characterListPath(sheetPath));
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), rows - 1);
}

// Every character of a greeting in several languages, the digits and the common signs has ink.
TEST(DefaultGlyphSheet, coversTheEuropeanAlphabetsDigitsAndSigns) {
    FireEngine engine(1024, 768, 640);
    ASSERT_EQ(engine.loadFont(sheetPath.c_str(), cell), 1);
    const std::u32string text = decodeText("Grüße aus Köln! 3:30 €5 Ελλάδα Привет Žluťoučký kůň "
                                           "Zażółć gęślą jaźń 0123456789 – — ‘ ’ “ ” „ … • ™ "
                                           "?.,;()[]{}<>=/\\#&@$%^_|~\"'`");
    std::vector<uint32_t> frame(1024 * 768);
    for (const char32_t c : text) {
        if (c == U' ')
            continue;
        std::fill(frame.begin(), frame.end(), 0);
        engine.drawGlyph(0, 5, c, frame.data());
        EXPECT_GT(std::count_if(frame.begin(), frame.end(), [](uint32_t p) { return p != 0; }), 20)
            << "U+" << std::hex << uint32_t(c);
    }
}

TEST(DefaultGlyphSheet, everyLetterIsLargeCentredAndFreeOfFireColours) {
    FireEngine engine(1024, 768, 640);
    ASSERT_EQ(engine.loadFont(sheetPath.c_str(), cell), 1);
    // The fire's standard colours have no blue, so letter pixels can always be told apart.
    for (const uint32_t p : engine.fontPixels())
        ASSERT_TRUE(p == 0 || (p & 0xFF) >= 1) << std::hex << p;
    for (const char* group : {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"}) {
        for (const char* c = group; *c; ++c) {
            SCOPED_TRACE(*c);
            const Ink ink = inkOf(engine, *c);
            EXPECT_GT(ink.pixels, 150);
            EXPECT_NEAR((ink.left + ink.right) / 2.0, (cell - 1) / 2.0, 1.5);
            if (*c <= 'Z') {
                EXPECT_GE(ink.bottom - ink.top + 1, 36);
            }
        }
    }
}

TEST(DefaultMessages, sitCentredAboveTheFireInLettersTheSheetHas) {
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::ifstream in(scriptPath);
    int entries = 0;
    for (std::string line; std::getline(in, line);)
        entries += line.find_first_not_of(" \t\r") != std::string::npos;
    EXPECT_GE(entries, 6);
    EXPECT_LE(entries, 10);

    FireEngine engine(1024, 768, 640);
    ASSERT_TRUE(engine.openScript(scriptPath.c_str()));
    for (int i = 0; i < entries; ++i) {
        auto list = engine.nextMessage();
        SCOPED_TRACE(i);
        EXPECT_GE(engine.getHoldTime(), 2000u);
        EXPECT_LE(engine.getHoldTime(), 8000u);
        float left = 1024, right = 0, top = 768, bottom = 0;
        int perLine = 0;
        for (GlyphParticle* p = list->first(); p; p = list->next()) {
            const char c = p->character;
            ASSERT_TRUE(c == '+' || c == '-' || c == '*' || letters.find(c) != std::string::npos)
                << c;
            perLine = c == '-' ? 0 : perLine + 1;
            EXPECT_LE(perLine, 20);
            if (letters.find(c) == std::string::npos)
                continue;
            left = std::min(left, p->x);
            right = std::max(right, p->x + cell);
            top = std::min(top, p->y);
            bottom = std::max(bottom, p->y + cell);
        }
        EXPECT_NEAR((left + right) / 2, 512.0f, 30.0f);
        EXPECT_GE(top, 100.0f);
        EXPECT_LE(bottom, 768.0f * 0.45f);
    }
}
