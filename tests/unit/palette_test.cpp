#include <gtest/gtest.h>

#include <cmath>

#include "settings/settings.h"
#include "fire/fire_color_mode.h"
#include "fire/fire_engine.h"

namespace {
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

void setColourFlags(int32_t standard, int32_t yellow, int32_t cycle) {
    setStandardColor(standard);
    setYellowColor(yellow);
    setCycleColors(cycle);
}

class ColourModeTest : public ::testing::Test {
  protected:
    void TearDown() override { resetSettings(); }
    FireEngine engine{1024, 768, 640};
    FireColorMode mode;
};
} // namespace

TEST(Palettes, rampsClimbInStepsOfTwoAndStopAt254) {
    FireEngine engine(1024, 768, 640);
    const auto standard = engine.standardPalette();
    const auto yellow = engine.yellowPalette();
    EXPECT_EQ(standard[0], 0u);
    EXPECT_EQ(standard[1], rgb(2, 0, 0));
    EXPECT_EQ(standard[127], rgb(254, 0, 0));
    EXPECT_EQ(standard[128], rgb(255, 0, 0));
    EXPECT_EQ(standard[255], rgb(255, 254, 0));
    EXPECT_EQ(yellow[127], rgb(254, 254, 0));
    EXPECT_EQ(yellow[128], rgb(255, 255, 0));
    EXPECT_EQ(yellow[255], rgb(255, 255, 254));
    for (int i = 256; i < 640; ++i) {
        ASSERT_EQ(standard[i], rgb(255, 255, 0));
        ASSERT_EQ(yellow[i], rgb(255, 255, 255));
    }
    for (int i = 0; i < 640; ++i) {
        ASSERT_EQ(standard[i] & 0xFF0000FFu, 0u) << "the standard fire has no blue: " << i;
        ASSERT_EQ(yellow[i] >> 24, 0u);
    }
}

TEST(Palettes, blendAtZeroIsTheStandardPalette) {
    FireEngine engine(1024, 768, 640);
    engine.blendPalettes(0);
    for (int i = 0; i < 640; ++i)
        ASSERT_EQ(engine.currentPalette()[i], engine.standardPalette()[i]);
}

TEST(Palettes, blendAt255EndsOneBelowYellowWhereTheyDiffer) {
    FireEngine engine(1024, 768, 640);
    engine.blendPalettes(255);
    const auto current = engine.currentPalette();
    EXPECT_EQ(current[0], 0u);
    EXPECT_EQ(current[1], rgb(2, 1, 0));
    EXPECT_EQ(current[128], rgb(255, 254, 0));
    for (int i = 256; i < 640; ++i)
        ASSERT_EQ(current[i], rgb(255, 255, 254));
}

TEST(Palettes, blendAt128IsHalfway) {
    FireEngine engine(1024, 768, 640);
    engine.blendPalettes(128);
    EXPECT_EQ(engine.currentPalette()[64], rgb(128, 64, 0));
    for (int i = 256; i < 640; ++i)
        ASSERT_EQ(engine.currentPalette()[i], rgb(255, 255, 127));
}

TEST(Palettes, blendUsesOnlyTheLow16BitsOfTheFactor) {
    FireEngine a(1024, 768, 640), b(1024, 768, 640);
    a.blendPalettes(0x10000 + 128);
    b.blendPalettes(128);
    for (int i = 0; i < 640; ++i)
        ASSERT_EQ(a.currentPalette()[i], b.currentPalette()[i]);
}

TEST_F(ColourModeTest, standardWinsOverYellowAndYellowOverCycling) {
    setColourFlags(1, 1, 1);
    mode.applyFireColor(engine, currentSettings());
    EXPECT_EQ(engine.currentPalette()[300], rgb(255, 255, 0));
    setColourFlags(2, 1, 1);
    mode.applyFireColor(engine, currentSettings());
    EXPECT_EQ(engine.currentPalette()[300], rgb(255, 255, 254));
    EXPECT_EQ(engine.currentPalette()[128], rgb(255, 254, 0));
    EXPECT_EQ(mode.cycleFactor, 1.0f) << "cycling is untouched while another colour decides";
}

TEST_F(ColourModeTest, noColourFlagLeavesThePaletteAlone) {
    setColourFlags(0, -1, 255);
    for (int frame = 0; frame < 10; ++frame)
        mode.applyFireColor(engine, currentSettings());
    for (uint32_t colour : engine.currentPalette())
        ASSERT_EQ(colour, 0u);
}

TEST_F(ColourModeTest, cyclingSwingsBetweenTheTwoPalettesIn1020Frames) {
    setColourFlags(0, 0, 1);
    std::vector<int> factors(1 + 1021);
    for (int frame = 1; frame <= 1021; ++frame) {
        mode.applyFireColor(engine, currentSettings());
        factors[frame] = int(mode.cycleFactor);
    }
    EXPECT_EQ(factors[1], 1);
    EXPECT_EQ(factors[2], 2);
    EXPECT_EQ(factors[3], 2);
    EXPECT_EQ(factors[508], 255);
    EXPECT_EQ(factors[509], 254);
    EXPECT_EQ(factors[1016], 1);
    EXPECT_EQ(factors[1017], 0);
    EXPECT_EQ(factors[1018], 0);
    EXPECT_EQ(factors[1019], 0);
    EXPECT_EQ(factors[1020], 1);
    EXPECT_EQ(factors[1021], 1);
    EXPECT_EQ(std::count(factors.begin() + 1, factors.begin() + 1021, 255), 1);

    // The palette of the last frame is the blend with that frame's factor.
    FireEngine expected(1024, 768, 640);
    expected.blendPalettes(factors[1021]);
    for (int i = 0; i < 640; ++i)
        ASSERT_EQ(engine.currentPalette()[i], expected.currentPalette()[i]);
}
