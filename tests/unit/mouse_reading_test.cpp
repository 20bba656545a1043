#include <gtest/gtest.h>

#include "windows/mouse_reading.h"

namespace {
MouseDeviceState state(int32_t x, int32_t y, int32_t z, uint8_t b0 = 0, uint8_t b1 = 0, uint8_t b2 = 0,
                 uint8_t b3 = 0) {
    MouseDeviceState s;
    s.x = x;
    s.y = y;
    s.wheel = z;
    s.buttons[0] = b0;
    s.buttons[1] = b1;
    s.buttons[2] = b2;
    s.buttons[3] = b3;
    return s;
}
} // namespace

TEST(MouseReading, reportsMovementAndTheWheel) {
    MouseDeviceState latest;
    const MouseDeviceState fetched = state(1, -2, 120);
    const MouseReading reading = foldMouseFetch(latest, &fetched);
    EXPECT_EQ(reading.dx, 1);
    EXPECT_EQ(reading.dy, -2);
    EXPECT_EQ(reading.dz, 120);
    EXPECT_EQ(reading.buttons, 0);
}

TEST(MouseReading, onlyTheFirstTwoButtonsCount) {
    MouseDeviceState latest;
    MouseDeviceState fetched = state(0, 0, 0, 0x80, 0, 0, 0);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 1);
    fetched = state(0, 0, 0, 0, 0x80);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 2);
    fetched = state(0, 0, 0, 1, 1);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 3);
    fetched = state(0, 0, 0, 0, 0, 0x80, 0x80);
    EXPECT_EQ(foldMouseFetch(latest, &fetched).buttons, 0);
}

TEST(MouseReading, aFailedFetchRepeatsTheLatestSuccessfulState) {
    MouseDeviceState latest;
    const MouseDeviceState held = state(0, 0, 5, 0x80);
    foldMouseFetch(latest, &held);
    const MouseReading again = foldMouseFetch(latest, nullptr);
    EXPECT_EQ(again.buttons, 1);
    EXPECT_EQ(again.dz, 5);
}

TEST(MouseReading, aWatchThatNeverFetchedReportsNothing) {
    MouseDeviceState latest;
    for (int i = 0; i < 3; ++i) {
        const MouseReading reading = foldMouseFetch(latest, nullptr);
        EXPECT_EQ(reading.dx, 0);
        EXPECT_EQ(reading.dy, 0);
        EXPECT_EQ(reading.dz, 0);
        EXPECT_EQ(reading.buttons, 0);
    }
}
