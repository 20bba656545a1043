// Characters drawn from the system's fonts with GDI, as the saver asks for them. Under Wine the
// fonts are the host's: the test machine has WenQuanYi Micro Hei for Chinese, Japanese and
// Korean.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "windows/gdi_system_fonts.h"

namespace {
struct Ink {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// The rows and columns that hold ink of at least half coverage.
Ink inkOf(const std::vector<uint8_t>& coverage, int size) {
    Ink ink;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (coverage[std::size_t(y) * size + x] < 128)
                continue;
            ink = {std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y),
                   std::max(ink.bottom, y)};
        }
    }
    return ink;
}

class GdiFonts : public ::testing::Test {
  protected:
    GdiSystemFonts fonts;
    std::vector<uint8_t> coverage;
};
} // namespace

TEST_F(GdiFonts, drawsHanKanaAndHangulCentredInTheBoxOnTheBaselineAtTheEm) {
    const GlyphPlacement placement; // the saver's: 200 points, em 160 on row 160, box 16 ... 184
    for (const char32_t c : {U'新', U'こ', U'안', U'乐'}) {
        SCOPED_TRACE(unsigned(c));
        ASSERT_TRUE(fonts.drawCharacter(c, placement, coverage));
        ASSERT_EQ(coverage.size(), 200u * 200u);
        const Ink ink = inkOf(coverage, 200);
        EXPECT_GE(ink.left, placement.left);
        EXPECT_LE(ink.right, placement.right);
        EXPECT_GE(ink.top, placement.top);
        EXPECT_LE(ink.bottom, placement.bottom);
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 100.0, 2.0);
        // Ideographs and syllables fill most of the em and stand near the baseline.
        EXPECT_GT(ink.height(), 0.6 * 160);
        EXPECT_NEAR(ink.bottom, 160, 0.2 * 160);
    }
}

TEST_F(GdiFonts, scalesTheInkDownAlikeAcrossAndDownWhereItWouldNotFit) {
    const GlyphPlacement wide;
    ASSERT_TRUE(fonts.drawCharacter(U'新', wide, coverage));
    const Ink full = inkOf(coverage, wide.size);
    GlyphPlacement narrow;
    narrow.left = 70.0f;
    narrow.right = 130.0f;
    ASSERT_TRUE(fonts.drawCharacter(U'新', narrow, coverage));
    const Ink small = inkOf(coverage, narrow.size);
    EXPECT_GE(small.left, 69);
    EXPECT_LE(small.right, 131);
    EXPECT_NEAR(double(small.height()) / full.height(), double(small.width()) / full.width(), 0.05);
    EXPECT_NEAR(small.bottom, 160, 0.2 * 60) << "still on the baseline";
}

TEST_F(GdiFonts, answersFalseForWhatNoFontHasAndSurvivesEveryKindOfCharacter) {
    const GlyphPlacement placement;
    // Unassigned; beyond the BMP (GDI takes one UTF-16 unit); controls; halves of a pair; none.
    for (const char32_t c :
         {U'\u0378', U'\U00020000', U'\U0001F600', char32_t(0), char32_t(0x1B), char32_t(0x9F),
          char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000), char32_t(0xFFFFFFFF)})
        EXPECT_FALSE(fonts.drawCharacter(c, placement, coverage)) << unsigned(c);
    GlyphPlacement small;
    small.size = 24;
    small.em = small.baseline = 19.0f;
    small.left = small.top = 2.0f;
    small.right = small.bottom = 22.0f;
    for (char32_t c = 0; c < 0x110000; c += 251) {
        if (fonts.drawCharacter(c, small, coverage)) {
            ASSERT_EQ(coverage.size(), 24u * 24u) << unsigned(c);
        }
    }
    // A grid or an em that makes no sense is refused, not drawn.
    GlyphPlacement broken;
    broken.em = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(fonts.drawCharacter(U'新', broken, coverage));
    broken = {};
    broken.size = 0;
    EXPECT_FALSE(fonts.drawCharacter(U'新', broken, coverage));
    broken = {};
    broken.baseline = broken.top = 100.0f; // ink above the baseline cannot fit
    EXPECT_FALSE(fonts.drawCharacter(U'新', broken, coverage));
}
