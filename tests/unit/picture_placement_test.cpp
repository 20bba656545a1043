#include <gtest/gtest.h>

#include <vector>

#include "windows/picture_placement.h"

namespace {
const ScreenRect noFallback{0, 0, 1024, 768};
}

TEST(PicturePlacement, oneScreenGetsTheWholeWindow) {
    const std::vector<ScreenRect> monitors{{0, 0, 1920, 1080}};
    EXPECT_EQ(boundingRect(monitors), (ScreenRect{0, 0, 1920, 1080}));
    EXPECT_EQ(picturePlacements(monitors, noFallback),
              (std::vector<ScreenRect>{{0, 0, 1920, 1080}}));
}

TEST(PicturePlacement, twoScreensSideBySideOfDifferentSizes) {
    const std::vector<ScreenRect> monitors{{0, 0, 2560, 1440}, {2560, 0, 3840, 1024}};
    EXPECT_EQ(boundingRect(monitors), (ScreenRect{0, 0, 3840, 1440}));
    // Each copy fills its own monitor; the strip below the smaller one is off every screen.
    EXPECT_EQ(picturePlacements(monitors, noFallback),
              (std::vector<ScreenRect>{{0, 0, 2560, 1440}, {2560, 0, 3840, 1024}}));
}

TEST(PicturePlacement, aScreenLeftOfAndAboveThePrimary) {
    const std::vector<ScreenRect> monitors{{0, 0, 1920, 1080}, {-1280, -300, 0, 724}};
    EXPECT_EQ(boundingRect(monitors), (ScreenRect{-1280, -300, 1920, 1080}));
    EXPECT_EQ(picturePlacements(monitors, noFallback),
              (std::vector<ScreenRect>{{1280, 300, 3200, 1380}, {0, 0, 1280, 1024}}));
}

TEST(PicturePlacement, aScaledDisplayIsCoveredInPhysicalPixels) {
    // A 3840 x 2160 panel at 150 %: a DPI-aware process sees its physical size.
    const std::vector<ScreenRect> monitors{{0, 0, 3840, 2160}, {3840, 0, 5760, 1200}};
    EXPECT_EQ(picturePlacements(monitors, noFallback),
              (std::vector<ScreenRect>{{0, 0, 3840, 2160}, {3840, 0, 5760, 1200}}));
}

TEST(PicturePlacement, noUsableMonitorFallsBackToTheWindow) {
    const std::vector<ScreenRect> none;
    EXPECT_EQ(picturePlacements(none, noFallback), (std::vector<ScreenRect>{{0, 0, 1024, 768}}));
    const std::vector<ScreenRect> empty{{10, 10, 10, 500}};
    EXPECT_EQ(picturePlacements(empty, noFallback), (std::vector<ScreenRect>{{0, 0, 1024, 768}}));
}
