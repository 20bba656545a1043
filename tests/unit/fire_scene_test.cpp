// The scene on its own, as any host drives it: a clock, a frame buffer, nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fire/random_source.h"
#include "scene/fire_scene.h"
#include "seams/data_files.h"
#include "settings/settings.h"
#include "test_support.h"

namespace {
constexpr uint32_t untouched = 0x00ABCDEF;
constexpr int width = FireScene::width;

bool anyBlue(const std::vector<uint32_t>& frame, int fromRow, int toRow) {
    return std::any_of(frame.begin() + fromRow * width, frame.begin() + toRow * width,
                       [](uint32_t p) { return (p & 0xFF) != 0; });
}

class Scene : public ::testing::Test {
  protected:
    void SetUp() override {
        resetSettings();
        useDataFiles(DataFiles{{data.path().string()}});
    }
    void TearDown() override {
        scene.stop();
        useDataFiles(DataFiles{});
        resetSettings();
    }
    TempDirectory data;
    ManualClock clock;
    FireScene scene{clock};
    std::vector<uint32_t> frame = std::vector<uint32_t>(size_t(width) * FireScene::height, untouched);
};
} // namespace

TEST_F(Scene, drawsFireIntoTheGivenPixelsAndLeavesTheTopTwoRows) {
    Settings quiet;
    quiet.soundEffects = 0;
    scene.openAudio(quiet);
    scene.start(quiet);
    scene.drawFrame(frame.data());
    // The palette is blended after the first render, so the first frame is black.
    EXPECT_TRUE(std::all_of(frame.begin() + 2 * width, frame.end(), [](uint32_t p) { return p == 0; }));
    scene.drawFrame(frame.data());
    uint64_t red = 0;
    for (int y = 700; y < 766; ++y)
        for (int x = 0; x < width; ++x)
            red += (frame[size_t(y) * width + x] >> 16) & 0xFF;
    EXPECT_GT(red / (66 * width), 100u);
    EXPECT_FALSE(anyBlue(frame, 2, FireScene::height)) << "standard colours carry no blue";
    EXPECT_TRUE(std::all_of(frame.begin(), frame.begin() + 2 * width,
                            [](uint32_t p) { return p == untouched; }));
}

TEST_F(Scene, keepsTheSettingsItWasStartedWithForTheWholeRun) {
    Settings yellow;
    yellow.standardColor = 0;
    yellow.yellowColor = 1;
    yellow.soundEffects = 0;
    scene.start(yellow);
    // The process-wide options change under the run; the run does not follow them.
    setYellowColor(0);
    for (int i = 0; i < 3; ++i)
        scene.drawFrame(frame.data());
    EXPECT_TRUE(anyBlue(frame, 600, 766)) << "yellow-white fire carries blue where it is hottest";
}

TEST_F(Scene, isSeededFromTheCalendarAtStart) {
    clock.seconds = 4242;
    Settings quiet;
    quiet.soundEffects = 0;
    scene.start(quiet);
    // Seeded, then 768 warm-up steps of three draws per column and four more for each clearing.
    EXPECT_GT(drawsSince(4242, 5000000), 768 * 3 * width);
}

TEST_F(Scene, goesOnWithTheMessageAfterTheLastOneShownUnlessTheScriptChanged) {
    Settings quiet;
    quiet.soundEffects = 0;
    const std::string first = "One 10 10 100\n", second = "Two 10 10 100\n";
    data.write("fire_data/motd.txt", first + second + "Three 10 10 100\n");
    scene.start(quiet);
    const ResumePoint shown = scene.resumePoint();
    // Just after the first entry, before the line end that separates it from the second.
    EXPECT_EQ(shown.nextMessage, long(first.size() - 1));
    EXPECT_NE(shown.scriptDigest, 0u);
    scene.stop();

    FireScene next{clock};
    next.start(quiet, shown);
    EXPECT_EQ(next.resumePoint().nextMessage, long(first.size() + second.size() - 1));
    next.stop();

    data.write("fire_data/motd.txt", first + second + "Four 10 10 100\n");
    FireScene changed{clock};
    changed.start(quiet, shown);
    EXPECT_EQ(changed.resumePoint().nextMessage, shown.nextMessage) << "a changed script starts at the top";
    changed.stop();
}
