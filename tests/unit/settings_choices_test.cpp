// The rules every settings dialog follows: what its controls show of the flags, and what a click
// stores, so that a flag nobody touched is written back as it came.
#include <gtest/gtest.h>

#include <array>

#include "settings/settings_choices.h"

namespace {
using Flags = std::array<int32_t, 6>;

Flags currentFlags() {
    return {standardColor(), yellowColor(),   cycleColors(),
            soundEffects(),  musicPlaylist(), randomSparks()};
}

Settings settingsOf(const Flags& f) { return {f[0], f[1], f[2], f[3], f[4], f[5]}; }

void setFlags(const Flags& f) {
    setStandardColor(f[0]);
    setYellowColor(f[1]);
    setCycleColors(f[2]);
    setSoundEffects(f[3]);
    setMusicPlaylist(f[4]);
    setRandomSparks(f[5]);
}

struct FlagsReset : ::testing::Test {
    void TearDown() override { resetSettings(); }
};
} // namespace

TEST(SettingsMarks, onlyAFlagOfExactlyOneIsCheckedAndTheFirstColourOnWins) {
    const SettingsMarks start = marksOf(Settings{});
    EXPECT_EQ(start.color, FireColor::standard);
    EXPECT_TRUE(start.soundEffects);
    EXPECT_FALSE(start.musicPlaylist || start.randomSparks);

    EXPECT_EQ(marksOf(settingsOf({1, 1, 0, 0, 0, 0})).color, FireColor::standard);
    EXPECT_EQ(marksOf(settingsOf({2, 1, 1, 0, 0, 0})).color, FireColor::yellow);
    EXPECT_EQ(marksOf(settingsOf({0x02, 0xFF, 1, 0, 0, 0})).color, FireColor::cycle);
    EXPECT_EQ(marksOf(settingsOf({0, 0, 0, 0, 0, 0})).color, FireColor::none);
    EXPECT_EQ(marksOf(settingsOf({-1, 2, 0xFF, 0, 0, 0})).color, FireColor::none);

    const SettingsMarks odd = marksOf(settingsOf({0, 0, 0, 2, -1, 0xFF}));
    EXPECT_FALSE(odd.soundEffects || odd.musicPlaylist || odd.randomSparks);
    const SettingsMarks on = marksOf(settingsOf({0, 0, 0, 1, 1, 1}));
    EXPECT_TRUE(on.soundEffects && on.musicPlaylist && on.randomSparks);
}

TEST_F(FlagsReset, aColourClickLeavesItsFlagAloneOnAndTouchesNoEffect) {
    setFlags({2, 0xFF, -1, 2, 0xFF, -1});
    const auto yellow = chooseColor(yellowChoice);
    ASSERT_TRUE(yellow);
    EXPECT_EQ((Flags{yellow->standard, yellow->yellow, yellow->cycle}), (Flags{0, 1, 0}));
    EXPECT_EQ(currentFlags(), (Flags{0, 1, 0, 2, 0xFF, -1}));
    ASSERT_TRUE(chooseColor(cycleChoice));
    ASSERT_TRUE(chooseColor(cycleChoice)); // the checked one again: the same states
    EXPECT_EQ(currentFlags(), (Flags{0, 0, 1, 2, 0xFF, -1}));
    ASSERT_TRUE(chooseColor(standardChoice));
    EXPECT_EQ(currentFlags(), (Flags{1, 0, 0, 2, 0xFF, -1}));

    for (int outside : {-1, 3, 255}) {
        EXPECT_FALSE(chooseColor(outside)) << outside;
        EXPECT_EQ(currentFlags(), (Flags{1, 0, 0, 2, 0xFF, -1})) << outside;
    }
}

TEST_F(FlagsReset, aBoxStoresOnlyCheckedOrUncheckedInItsOwnFlag) {
    setFlags({2, 0, 0, 2, 0xFF, -1});
    takeCheckState(Effect::musicPlaylist, 1);
    EXPECT_EQ(currentFlags(), (Flags{2, 0, 0, 2, 1, -1}));
    takeCheckState(Effect::randomSparks, 0);
    takeCheckState(Effect::soundEffects, 1);
    EXPECT_EQ(currentFlags(), (Flags{2, 0, 0, 1, 1, 0}));
    // An undecided box (2) or any other state stores nothing.
    for (long long state : {2LL, -1LL, 0x100000001LL})
        takeCheckState(Effect::soundEffects, state);
    EXPECT_EQ(soundEffects(), 1);
}

TEST(FailedSave, namesTheFileTheReasonAndWhetherTheOldFileIsWhole) {
    SettingsSave save;
    save.path = "/home/a/.config/emberhall/emberhall.dat";
    save.reason = "cannot create /home/a/.config/emberhall/emberhall.dat.new: Permission denied";
    EXPECT_EQ(failedSaveText(save),
              "The settings could not be saved to\n/home/a/.config/emberhall/emberhall.dat\n\n"
              "Cannot create /home/a/.config/emberhall/emberhall.dat.new: Permission denied.\n\n"
              "Any settings saved before are kept.");
    save.oldFileKept = false;
    EXPECT_NE(failedSaveText(save).find("some new settings and some old ones"), std::string::npos);
}
