// The committed glyph sheet, read through the saver's own loader: letters that fill their cells,
// so that a message reads as words, and never touch the cell's edge, where they would run into
// their neighbours.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fire/fire_engine.h"

namespace {

constexpr int cell = 50;
const std::string capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const std::string smallLetters = "abcdefghijklmnopqrstuvwxyz";

struct InkBox {
    int left = cell, right = -1, top = cell, bottom = -1;
    int hotPixels = 0; // the white-hot core of the strokes
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

InkBox inkBoxOf(const FireEngine& engine, int cellIndex) {
    InkBox box;
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            const uint32_t p = engine.fontPixels()[size_t(y) * size_t(engine.fontWidth()) +
                                                   size_t(cellIndex * cell + x)];
            if (p == 0)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
            box.hotPixels += (p >> 16 & 0xFF) >= 250 && (p >> 8 & 0xFF) >= 230;
        }
    }
    return box;
}

class DefaultGlyphSheetLetters : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(engine.loadFont(EMBERHALL_SOURCE_DIR "/data/fire_fonts/font.tga", cell), 1);
        ASSERT_GE(engine.fontWidth() / cell, 'z' - 'A' + 1);
    }
    InkBox ink(char c) const { return inkBoxOf(engine, c - 'A'); }

    FireEngine engine{1024, 768, 640};
};

} // namespace

TEST_F(DefaultGlyphSheetLetters, noCellHasInkOnItsOuterRowOrColumn) {
    for (int k = 0; k < engine.fontWidth() / cell; ++k) {
        SCOPED_TRACE(char('A' + k));
        const InkBox box = inkBoxOf(engine, k);
        if (box.right < 0)
            continue;
        EXPECT_GE(box.left, 1);
        EXPECT_LE(box.right, cell - 2);
        EXPECT_GE(box.top, 1);
        EXPECT_LE(box.bottom, cell - 2);
    }
}

TEST_F(DefaultGlyphSheetLetters, capitalsAndAscendersFillTheCellsHeight) {
    for (const char c : capitals + "bdfhkl") {
        SCOPED_TRACE(c);
        EXPECT_GE(ink(c).height(), 40);
    }
}

TEST_F(DefaultGlyphSheetLetters, lettersAreWideSoThatNeighboursSitClose) {
    // M and W as much as the narrow letters: none leaves a gap that reads as one between words.
    for (const char c : capitals + smallLetters) {
        SCOPED_TRACE(c);
        EXPECT_GE(ink(c).width(), cell * 6 / 10);
    }
}

TEST_F(DefaultGlyphSheetLetters, lowerCaseKeepsItsProportionsAndItsDescenders) {
    const InkBox x = ink('x'), capital = ink('H');
    // The x-height: shorter than the capitals, as in the font, yet big.
    EXPECT_GE(x.height(), capital.height() * 7 / 10);
    EXPECT_LE(x.height(), capital.height() * 9 / 10);
    for (const char c : std::string("acemnorsuvwxz")) {
        SCOPED_TRACE(c);
        EXPECT_NEAR(ink(c).top, x.top, 1);
        EXPECT_NEAR(ink(c).bottom, x.bottom, 1);
    }
    // Descenders are shortened to fit, yet still reach clearly below the baseline (q is not a).
    for (const char c : std::string("gjpqy")) {
        SCOPED_TRACE(c);
        EXPECT_GE(ink(c).bottom, x.bottom + 4);
    }
}

TEST_F(DefaultGlyphSheetLetters, everyStrokeIsHeavyEnoughForAWhiteHotCore) {
    for (const char c : capitals + smallLetters) {
        SCOPED_TRACE(c);
        EXPECT_GE(ink(c).hotPixels, 60);
    }
}
