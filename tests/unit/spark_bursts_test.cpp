#include <gtest/gtest.h>

#include <vector>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "fire/spark_bursts.h"
#include "test_support.h"

namespace {
// Finds a seed whose first draw mod 2000 is 5 and whose second draw picks the wanted kind.
uint32_t seedThatStarts(SparkKind kind) {
    for (uint32_t seed = 0;; ++seed) {
        RandomSource probe;
        probe.seed(seed);
        if (probe.nextValue() % 2000 == 5 && probe.nextValue() % 2 == int(kind))
            return seed;
    }
}

struct Cell {
    int32_t x, y, value;
};

// The twelve cells one active frame writes, replayed from the sequence.
std::vector<Cell> expectedCells(uint32_t state, SparkKind kind) {
    RandomSource replay;
    replay.seed(state);
    std::vector<Cell> cells;
    for (int i = 0; i < 12; ++i) {
        const bool first = i < 4;
        Cell cell{};
        if (kind == SparkKind::Hot)
            cell.value = first ? replay.nextValue() % 384 + 256 : replay.nextValue() % 128;
        cell.y = replay.nextValue() % (first ? 718 : 767);
        cell.x = replay.nextValue() % 1024;
        cells.push_back(cell);
    }
    return cells;
}

class SparkBurstTest : public ::testing::Test {
  protected:
    FireEngine engine{1024, 768, 640};
    SparkBursts sparks;
    ManualClock clock;
};
} // namespace

TEST_F(SparkBurstTest, anIdleFrameTakesOneDrawAndWritesNothing) {
    randomSource().seed(seedThatStarts(SparkKind::Hot) + 1); // some seed that does not start
    const uint32_t seed = randomSource().currentState();
    RandomSource probe;
    probe.seed(seed);
    ASSERT_NE(probe.nextValue() % 2000, 5);
    sparks.applySparks(engine, clock);
    EXPECT_EQ(drawsSince(seed), 1);
    EXPECT_EQ(sparks.sparkState, SparkState::Idle);
}

TEST_F(SparkBurstTest, theStartingFrameDrawsTheKindAndWritesNoCell) {
    const uint32_t seed = seedThatStarts(SparkKind::Cold);
    randomSource().seed(seed);
    clock.now = 1234;
    sparks.applySparks(engine, clock);
    EXPECT_EQ(drawsSince(seed), 2);
    EXPECT_EQ(sparks.sparkState, SparkState::Active);
    EXPECT_EQ(sparks.sparkKind, SparkKind::Cold);
    EXPECT_EQ(sparks.sparkStart, 1234u);
    for (int32_t cell : engine.heat())
        ASSERT_EQ(cell, 0);
}

TEST_F(SparkBurstTest, aHotFrameTakes36DrawsAndWritesHotThenDimCells) {
    sparks.sparkState = SparkState::Active;
    sparks.sparkKind = SparkKind::Hot;
    sparks.sparkStart = 0;
    clock.now = 100;
    randomSource().seed(77);
    const auto cells = expectedCells(77, SparkKind::Hot);
    sparks.applySparks(engine, clock);
    EXPECT_EQ(drawsSince(77), 36);
    // Replay the writes in order: a dim cell on a hot one of the same frame wins.
    std::vector<int32_t> expected(1024 * 768, 0);
    for (const Cell& cell : cells) {
        if (&cell - cells.data() < 4) {
            EXPECT_GE(cell.value, 256);
            EXPECT_LE(cell.value, 639);
            EXPECT_LE(cell.y, 717);
        } else {
            EXPECT_LE(cell.value, 127);
            EXPECT_LE(cell.y, 766);
        }
        expected[cell.y * 1024 + cell.x] = cell.value;
    }
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), engine.heat().begin()));
}

TEST_F(SparkBurstTest, dimCellsOverwriteHotOnesOfTheSameFrame) {
    // Search for a frame in which a dim cell lands on one of the four hot cells.
    for (uint32_t seed = 0; seed < 2000000; ++seed) {
        const auto cells = expectedCells(seed, SparkKind::Hot);
        for (int hot = 0; hot < 4; ++hot) {
            for (int dim = 4; dim < 12; ++dim) {
                if (cells[hot].x != cells[dim].x || cells[hot].y != cells[dim].y)
                    continue;
                bool laterWrite = false;
                for (int later = dim + 1; later < 12; ++later)
                    laterWrite |= cells[later].x == cells[dim].x && cells[later].y == cells[dim].y;
                if (laterWrite)
                    continue;
                sparks.sparkState = SparkState::Active;
                sparks.sparkKind = SparkKind::Hot;
                randomSource().seed(seed);
                sparks.applySparks(engine, clock);
                EXPECT_EQ(engine.heat()[cells[dim].y * 1024 + cells[dim].x], cells[dim].value);
                EXPECT_LE(cells[dim].value, 127);
                return;
            }
        }
    }
    FAIL() << "no overlapping frame found";
}

TEST_F(SparkBurstTest, aColdFrameTakes24DrawsAndWritesOnlyZeros) {
    for (int i = 0; i < 1024 * 768; i += 7)
        engine.setCell(i % 1024, i / 1024, 500);
    sparks.sparkState = SparkState::Active;
    sparks.sparkKind = SparkKind::Cold;
    randomSource().seed(5);
    const auto cells = expectedCells(5, SparkKind::Cold);
    sparks.applySparks(engine, clock);
    EXPECT_EQ(drawsSince(5), 24);
    for (const Cell& cell : cells)
        EXPECT_EQ(engine.heat()[cell.y * 1024 + cell.x], 0);
}

TEST_F(SparkBurstTest, aBurstLasts8000MillisecondsAcrossTheTickWrap) {
    sparks.sparkState = SparkState::Active;
    sparks.sparkKind = SparkKind::Cold;
    sparks.sparkStart = 0xFFFFF000u; // 4096 ms before the counter wraps
    clock.now = 0xFFFFF000u + 7999;  // wrapped: small again
    ASSERT_LT(clock.now, 0x1000u);
    randomSource().seed(11);
    sparks.applySparks(engine, clock);
    EXPECT_EQ(sparks.sparkState, SparkState::Active);
    EXPECT_EQ(drawsSince(11), 24);

    clock.now = 0xFFFFF000u + 8000;
    randomSource().seed(11);
    sparks.applySparks(engine, clock);
    EXPECT_EQ(sparks.sparkState, SparkState::Idle);
    EXPECT_EQ(drawsSince(11), 0) << "the ending frame draws nothing and writes nothing";
}
