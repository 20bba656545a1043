#include <gtest/gtest.h>

#include "host/mouse_reading.h"

namespace {
MouseState state(int32_t x, int32_t y, int32_t z, uint8_t b0 = 0, uint8_t b1 = 0, uint8_t b2 = 0,
                 uint8_t b3 = 0) {
    MouseState s;
    s.lX = x;
    s.lY = y;
    s.lZ = z;
    s.rgbButtons[0] = b0;
    s.rgbButtons[1] = b1;
    s.rgbButtons[2] = b2;
    s.rgbButtons[3] = b3;
    return s;
}
} // namespace

TEST(MouseReading, reportsMovementAndTheWheel) {
    MouseState latest;
    const MouseState fetched = state(1, -2, 120);
    const MouseReading reading = foldMouseFetch(latest, &fetched);
    EXPECT_EQ(reading.dx, 1);
    EXPECT_EQ(reading.dy, -2);
    EXPECT_EQ(reading.dz, 120);
    EXPECT_EQ(reading.buttons, 0);
}

TEST(MouseReading, onlyTheFirstTwoButtonsCount) {
    MouseState latest;
    MouseState fetched = state(0, 0, 0, 0x80, 0, 0, 0);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 1);
    fetched = state(0, 0, 0, 0, 0x80);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 2);
    fetched = state(0, 0, 0, 1, 1);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 3);
    fetched = state(0, 0, 0, 0, 0, 0x80, 0x80);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 0);
}

TEST(MouseReading, aFailedFetchRepeatsTheLatestSuccessfulState) {
    MouseState latest;
    const MouseState held = state(0, 0, 5, 0x80);
    foldMouseFetch(latest, &held);
    const MouseReading again = foldMouseFetch(latest, nullptr);
    EXPECT_EQ(again.buttons, 1);
    EXPECT_EQ(again.dz, 5);
}

TEST(MouseReading, aWatchThatNeverFetchedReportsNothing) {
    MouseState latest;
    for (int i = 0; i < 3; ++i) {
        const MouseReading reading = foldMouseFetch(latest, nullptr);
        EXPECT_EQ(reading.dx, 0);
        EXPECT_EQ(reading.dy, 0);
        EXPECT_EQ(reading.dz, 0);
        EXPECT_EQ(reading.buttons, 0);
    }
}
