// The Linux source of glyphs from the system's fonts: where a character's ink lands on the grid,
// and which language's fonts come first.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "linux/fonts/ink_placement.h"
#include "linux/fonts/linux_system_fonts.h"

namespace {
Environment environmentOf(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}

// Where ink lands on the grid.
struct Landed {
    float left, right, topRow, bottomRow;
};
Landed landed(const InkBox& ink, const InkMove& move) {
    return {move.originX + ink.left * move.scale, move.originX + ink.right * move.scale,
            move.originRow - ink.top * move.scale, move.originRow - ink.bottom * move.scale};
}
} // namespace

TEST(InkPlacement, inkTooWideOrTooTallShrinksAlikeBothWaysAndStaysInTheBox) {
    GlyphPlacement placement; // a box of 174 points on each side
    placement.left = placement.top = 13.0f;
    placement.right = placement.bottom = 187.0f;
    for (const InkBox ink : {InkBox{-30.0f, 318.0f, 0.0f, 100.0f},   // twice the box's width
                             InkBox{0.0f, 80.0f, -200.0f, 148.0f},   // twice its height
                             InkBox{0.0f, 80.0f, -10.0f, 300.0f}}) { // far above the top
        const InkMove move = placeInk(ink, placement);
        EXPECT_LE(move.scale, 1.0f);
        const Landed grid = landed(ink, move);
        EXPECT_GE(grid.left, placement.left - 0.01f);
        EXPECT_LE(grid.right, placement.right + 0.01f);
        EXPECT_GE(grid.topRow, placement.top - 0.01f);
        EXPECT_LE(grid.bottomRow, placement.bottom + 0.01f);
        EXPECT_NEAR(grid.left + grid.right, 200.0f, 0.01f);
    }
    EXPECT_FLOAT_EQ(placeInk({-30.0f, 318.0f, 0.0f, 100.0f}, placement).scale, 0.5f);
    EXPECT_FLOAT_EQ(placeInk({0.0f, 80.0f, -200.0f, 148.0f}, placement).scale, 0.5f);
}

TEST(SessionFontLanguage, comesFromTheLocaleOfCharactersInTheOrderOfPosix) {
    EXPECT_EQ(sessionFontLanguage(environmentOf({{"LANG", "zh_CN.UTF-8"}})), "zh-cn");
    EXPECT_EQ(sessionFontLanguage(environmentOf({{"LANG", "de_DE.UTF-8"}, {"LC_CTYPE", "ja_JP"}})),
              "ja-jp");
    EXPECT_EQ(sessionFontLanguage(environmentOf(
                  {{"LANG", "de_DE"}, {"LC_CTYPE", "ja_JP"}, {"LC_ALL", "ko_KR.eucKR"}})),
              "ko-kr");
    EXPECT_EQ(sessionFontLanguage(environmentOf({{"LC_ALL", ""}, {"LANG", "sr_RS@latin"}})),
              "sr-rs");
    EXPECT_EQ(sessionFontLanguage(environmentOf({{"LANG", "C.UTF-8"}})), "");
    EXPECT_EQ(sessionFontLanguage(environmentOf({})), "");
}

// FreeType's bitmaps count rows up from the bottom, the grid down from the top: a capital drawn
// from a real font must end on the baseline row, inside the box, centred.
TEST(LinuxSystemFonts, aCapitalFromTheSystemsFontsStandsOnTheBaselineCentred) {
    const GlyphPlacement placement;
    std::vector<uint8_t> coverage;
    if (!linuxSystemFonts(environmentOf({{"LANG", "en_US.UTF-8"}}))
             ->drawCharacter(U'H', placement, coverage))
        GTEST_SKIP() << "no font of this machine has H";
    const int size = placement.size;
    ASSERT_EQ(coverage.size(), std::size_t(size * size));
    int left = size, right = -1, top = size, bottom = -1;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (coverage[std::size_t(y * size + x)] < 128)
                continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    // The last inked row is the one just above the baseline (a bolder face: 4 points below).
    EXPECT_GE(bottom, int(placement.baseline) - 1);
    EXPECT_LE(bottom, int(placement.baseline) + 4);
    EXPECT_GE(top, int(placement.top));
    EXPECT_NEAR(left + right + 1, size, 2);
}
