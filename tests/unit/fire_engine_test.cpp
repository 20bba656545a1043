#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "fire/fire_engine.h"
#include "fire/fire_kernels.h"
#include "fire/random_source.h"
#include "test_support.h"

namespace {
std::vector<int32_t> row(const FireEngine& engine, int y) {
    const auto heat = engine.heat();
    return std::vector<int32_t>(heat.begin() + y * engine.width(),
                                heat.begin() + (y + 1) * engine.width());
}
} // namespace

TEST(FireEngine, startsCold) {
    FireEngine engine(1024, 768, 640);
    EXPECT_EQ(engine.width(), 1024);
    EXPECT_EQ(engine.height(), 768);
    EXPECT_EQ(engine.paletteSize(), 640u);
    for (int32_t cell : engine.heat())
        ASSERT_EQ(cell, 0);
    for (uint32_t colour : engine.currentPalette())
        ASSERT_EQ(colour, 0u);
}

TEST(FireDiffusion, oneHotSeedOnAFiveBySixGrid) {
    FireEngine engine(5, 6, 640);
    engine.setCell(2, 4, 640);
    engine.diffuse();
    EXPECT_EQ(row(engine, 0), (std::vector<int32_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(row(engine, 1), (std::vector<int32_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(row(engine, 2), (std::vector<int32_t>{0, 80, 90, 91, 11}));
    // The first cell takes 1 from the last cell of the row above, through the linear neighbour.
    EXPECT_EQ(row(engine, 3), (std::vector<int32_t>{1, 80, 10, 81, 0}));
    EXPECT_EQ(row(engine, 4), (std::vector<int32_t>{0, 0, 640, 0, 0}));
    EXPECT_EQ(row(engine, 5), (std::vector<int32_t>{0, 0, 0, 0, 0}));
}

TEST(FireDiffusion, fastKernelsMatchThePlainPassOnAnyGrid) {
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        const int32_t width = 3 + int32_t(random() % 1100);
        const int32_t height = 3 + int32_t(random() % 12);
        std::vector<int32_t> cells(size_t(width) * height);
        // Mostly cold with patches of heat (every other grid nearly all cold, so whole blocks
        // are), some out-of-range and negative values too.
        const uint32_t coldShare = round % 2 ? 60 : 99;
        for (auto& cell : cells) {
            const uint32_t r = random() % 100;
            if (r >= coldShare)
                cell = random() % 20 ? int32_t(random() % 641) : int32_t(random() % 4000) - 2000;
        }
        std::vector<int32_t> expected = cells;
        std::vector<int32_t> blocks = cells;
        const int64_t lastTarget = int64_t(width) * (height - 2) - 2;
        diffuseHeatPlain(expected.data(), width, lastTarget);
        diffuseHeat(cells.data(), width, lastTarget);
        diffuseHeatBlocks(blocks.data(), width, lastTarget);
        ASSERT_EQ(cells, expected) << "width " << width << " height " << height;
        ASSERT_EQ(blocks, expected) << "without AVX2: width " << width << " height " << height;
    }
}

TEST(FireDiffusion, leavesCellZeroTheLastFireCellAndTheBottomRowsAlone) {
    FireEngine engine(1024, 768, 640);
    engine.setCell(0, 0, 321);
    engine.setCell(1023, 765, 432);
    engine.setCell(17, 767, 543);
    engine.setCell(900, 766, 611);
    randomSource().seed(99);
    for (int i = 0; i < 5; ++i)
        engine.diffuse();
    EXPECT_EQ(engine.heat()[0], 321);
    EXPECT_EQ(engine.heat()[765 * 1024 + 1023], 432);
    EXPECT_EQ(engine.heat()[767 * 1024 + 17], 543);
    EXPECT_EQ(engine.heat()[766 * 1024 + 900], 611);
}

TEST(FireSeeding, firstStepFromSeedOneMatchesTheKnownDraws) {
    // The first four repetitions of the seeding from seed 1, replayed from the sequence.
    RandomSource replay;
    replay.seed(1);
    auto draw = [&replay](int32_t n) { return replay.nextValue() % n; };
    EXPECT_EQ(draw(10), 1);
    EXPECT_EQ(draw(1024), 35);
    EXPECT_EQ(draw(640), 574);
    EXPECT_EQ(draw(10), 0);
    EXPECT_EQ(draw(1024), 737);
    EXPECT_EQ(draw(640), 364);
    EXPECT_EQ(draw(10), 8);
    EXPECT_EQ(draw(1024), 686);
    EXPECT_EQ(draw(640), 82);
    EXPECT_EQ(draw(1024), 912);
    EXPECT_EQ(draw(1024), 585);
    EXPECT_EQ(draw(1024), 497);
    EXPECT_EQ(draw(1024), 753);
    EXPECT_EQ(draw(10), 7);

    // The engine's seed row after one step: replay every repetition and keep the last write.
    replay.seed(1);
    std::vector<int32_t> expected(1024, 0);
    int draws = 0;
    for (int i = 0; i < 1024; ++i) {
        const int32_t choice = draw(10), column = draw(1024), value = draw(640);
        draws += 3;
        if (choice <= 4)
            expected[column] = value;
        else if (choice == 6)
            expected[column] = 640;
        else if (choice == 8)
            for (int k = 0; k < 4; ++k, ++draws)
                expected[draw(1024)] = 0;
    }
    FireEngine engine(1024, 768, 640);
    randomSource().seed(1);
    engine.step();
    EXPECT_EQ(row(engine, 766), expected);
    EXPECT_EQ(drawsSince(1), draws);
    EXPECT_GE(draws, 3072);
    EXPECT_EQ((draws - 3072) % 4, 0);
    EXPECT_EQ(row(engine, 767), std::vector<int32_t>(1024, 0));
}

TEST(FireRender, clampsHotCellsToTheLastPaletteEntry) {
    FireEngine engine(1024, 768, 640);
    engine.blendPalettes(0);
    engine.setCell(0, 10, 639);
    engine.setCell(1, 10, 640);
    engine.setCell(2, 10, 100000);
    engine.setCell(3, 10, -1); // read unsigned: far past the end
    engine.setCell(4, 10, 127);
    std::vector<uint32_t> pixels(1024 * 768, 0);
    EXPECT_EQ(engine.render(pixels.data()), 784384);
    const uint32_t* line = pixels.data() + 12 * 1024; // grid row 10 lands on pixel row 12
    const uint32_t last = engine.standardPalette()[639];
    EXPECT_EQ(line[0], last);
    EXPECT_EQ(line[1], last);
    EXPECT_EQ(line[2], last);
    EXPECT_EQ(line[3], last);
    EXPECT_EQ(line[4], 0xFE0000u);
}

TEST(FireRender, neverWritesTheTopTwoRows) {
    FireEngine engine(1024, 768, 640);
    std::vector<uint32_t> pixels(1024 * 768, 0xABCDEFu);
    engine.render(pixels.data());
    for (int i = 0; i < 2 * 1024; ++i)
        ASSERT_EQ(pixels[i], 0xABCDEFu);
    // A new engine's palette is all zero, so everything else turns black.
    for (size_t i = 2 * 1024; i < pixels.size(); ++i)
        ASSERT_EQ(pixels[i], 0u);
}

TEST(FireRender, fastKernelMatchesThePlainLookup) {
    std::mt19937 random(3);
    std::vector<uint32_t> palette(640);
    for (auto& colour : palette)
        colour = random() & 0xFFFFFF;
    for (int64_t count : {0, 1, 7, 8, 9, 1000, 784384}) {
        std::vector<int32_t> cells(static_cast<size_t>(count));
        for (auto& cell : cells)
            cell = random() % 3 == 0 ? 0 : int32_t(random() % 900) - 100;
        std::vector<uint32_t> expected(size_t(count) + 16, 1), actual(size_t(count) + 16, 1);
        renderHeatPlain(cells.data(), count, palette.data(), 640, expected.data() + 3);
        renderHeat(cells.data(), count, palette.data(), 640, actual.data() + 3);
        ASSERT_EQ(actual, expected) << count;
    }
}

TEST(FireRender, smallGridsWriteNothing) {
    FireEngine engine(4, 2, 640);
    std::vector<uint32_t> pixels(8, 5);
    EXPECT_EQ(engine.render(pixels.data()), 0);
    EXPECT_EQ(pixels, std::vector<uint32_t>(8, 5));
}
