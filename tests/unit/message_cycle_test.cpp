#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "seams/clock.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "text/message_cycle.h"
#include "text_test_support.h"

namespace {

constexpr uint32_t colourOfA = 0x0000A1;
constexpr uint32_t colourOfB = 0x0000B2;

class FakeClock : public Clock {
  public:
    uint32_t tickCount() override { return now; }
    uint32_t calendarSeconds() override { return seconds; }

    uint32_t now = 0;
    uint32_t seconds = 0;
};

class CycleTest : public ::testing::Test {
  protected:
    // 'A' and 'B' are solid squares of their own colour.
    void SetUp() override {
        std::vector<uint32_t> pixels;
        for (int row = 0; row < 50; ++row)
            for (int x = 0; x < 100; ++x)
                pixels.push_back(x < 50 ? colourOfA : colourOfB);
        writeBytes(dir.file("font.tga"), tgaImage(2, 100, 50, pixels));
        ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 50), 1);
        randomSource().seed(1);
    }

    void start(const std::string& script, uint32_t at) {
        writeText(dir.file("motd.txt"), script);
        clock.now = at;
        startMessageCycle(cycle, engine, dir.file("motd.txt").c_str(), clock);
    }

    // One frame at `at`: a fresh frame, the cycle's step; gives what the frame shows of the
    // first particle: its position as drawn.
    std::pair<float, float> frameAt(uint32_t at) {
        clock.now = at;
        std::ranges::fill(frame, 0);
        const GlyphParticle* p = cycle.current->first();
        const std::pair<float, float> drawn = p ? std::pair{p->x, p->y} : std::pair{0.0f, 0.0f};
        stepMessageCycle(cycle, engine, frame.data(), clock);
        return drawn;
    }

    bool frameShows(uint32_t colour) const { return std::ranges::count(frame, colour) > 0; }

    TempDir dir;
    FakeClock clock;
    FireEngine engine{1024, 768, 640};
    MessageCycle cycle;
    std::vector<uint32_t> frame = std::vector<uint32_t>(1024 * 768, 0);
};

} // namespace

TEST_F(CycleTest, zeroHoldShowsTwoUnmovedFramesThenMoves) {
    start("A 100 200 0\n", 5000);
    const auto first = frameAt(5000);
    EXPECT_EQ(cycle.state, MessageState::Bursting);
    EXPECT_EQ(cycle.burstStart, 5000u);
    const auto second = frameAt(5015);
    const auto third = frameAt(5030);
    EXPECT_EQ(first, std::pair(100.0f, 200.0f));
    EXPECT_EQ(second, first);
    EXPECT_NE(third, second);
    EXPECT_TRUE(frameShows(colourOfA));
}

TEST_F(CycleTest, holdEndsAtTheFirstStepThatReachesIt) {
    start("A 100 200 900\n", 1000);
    frameAt(1000);
    frameAt(1899);
    EXPECT_EQ(cycle.state, MessageState::Holding);
    frameAt(1900);
    EXPECT_EQ(cycle.state, MessageState::Bursting);
    EXPECT_EQ(cycle.burstStart, 1900u);
}

TEST_F(CycleTest, burstMovesUntil7249AndChangesAt7250) {
    start("A 100 200 0\nB 300 300 40\n", 0);
    frameAt(0); // the burst begins at tick 0
    const auto before = frameAt(7249);
    const GlyphParticle* p = cycle.current->first();
    const std::pair moved(p->x, p->y);
    EXPECT_NE(moved, before);
    EXPECT_EQ(cycle.state, MessageState::Bursting);

    const auto last = frameAt(7250);
    // That frame draws the old message where it stands, without moving it, and lays out the
    // next one, which is first drawn in the frame after.
    EXPECT_EQ(last, moved);
    EXPECT_TRUE(frameShows(colourOfA));
    EXPECT_FALSE(frameShows(colourOfB));
    EXPECT_EQ(cycle.current->first()->character, 'B');
    EXPECT_EQ(cycle.state, MessageState::Holding);
    EXPECT_EQ(cycle.shownAt, 7250u);
    EXPECT_EQ(engine.getHoldTime(), 40u);

    EXPECT_EQ(frameAt(7265), std::pair(300.0f, 300.0f));
    EXPECT_TRUE(frameShows(colourOfB));
    EXPECT_FALSE(frameShows(colourOfA));
    EXPECT_EQ(cycle.state, MessageState::Holding);
    frameAt(7290);
    EXPECT_EQ(cycle.state, MessageState::Bursting);
}

TEST_F(CycleTest, timesRightAcrossTheWrapOfTheTickCounter) {
    const uint32_t shown = 0xFFFFFF00u; // 256 ms before the wrap
    start("A 100 200 900\n", shown);
    frameAt(shown + 899u);
    EXPECT_EQ(cycle.state, MessageState::Holding);
    frameAt(shown + 900u); // 644 after the wrap
    EXPECT_EQ(cycle.state, MessageState::Bursting);
    frameAt(shown + 900u + 7249u);
    EXPECT_EQ(cycle.state, MessageState::Bursting);
    frameAt(shown + 900u + 7250u);
    EXPECT_EQ(cycle.state, MessageState::Holding);
}

TEST_F(CycleTest, negativeHoldLastsAlmostFiftyDays) {
    start("A 100 200 -1000\n", 0);
    frameAt(0);
    frameAt(4294966295u);
    EXPECT_EQ(cycle.state, MessageState::Holding);
    frameAt(4294966296u);
    EXPECT_EQ(cycle.state, MessageState::Bursting);
}

TEST_F(CycleTest, newVelocitiesAreTheFirstDrawsAfterTheReseed) {
    start("A 100 200 0\nBA 300 300 0\n", 0);
    frameAt(0);
    // Whatever else drew in between, the change reseeds with the calendar second.
    for (int i = 0; i < 1234; ++i)
        randomSource().nextValue();
    clock.seconds = 1717171717;
    frameAt(8000);
    RandomSource replay;
    replay.seed(1717171717);
    const float table[10] = {-0.5f, -0.7f, -0.8f, -0.9f, -1.0f, -1.2f, -1.4f, -1.6f, -1.8f, 0.0f};
    for (GlyphParticle* p = cycle.current->first(); p; p = cycle.current->next()) {
        const int a = replay.nextValue() % 360;
        const int b = replay.nextValue() % 360;
        EXPECT_EQ(p->vx, float(std::cos(double(a))) + float(std::sin(double(b))));
        EXPECT_EQ(p->vy, table[replay.nextValue() % 10]);
    }
    EXPECT_EQ(cycle.current->count(), 2);
}

TEST_F(CycleTest, withoutAScriptTheEmptyMessageStillHoldsAndBursts) {
    clock.now = 0;
    startMessageCycle(cycle, engine, dir.file("absent.txt").c_str(), clock);
    ASSERT_TRUE(cycle.current);
    EXPECT_EQ(cycle.current->count(), 0);
    frameAt(0);
    EXPECT_EQ(cycle.state, MessageState::Bursting);
    frameAt(7250);
    EXPECT_EQ(cycle.state, MessageState::Holding);
    EXPECT_TRUE(std::ranges::all_of(frame, [](uint32_t p) { return p == 0; }));
    releaseMessage(cycle);
    EXPECT_FALSE(cycle.current);
}
