#include <gtest/gtest.h>

#include "fire/random_source.h"

TEST(RandomSource, startsAsIfSeededWithOne) {
    RandomSource fresh;
    RandomSource seeded;
    seeded.seed(1);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(fresh.nextValue(), seeded.nextValue());
}

TEST(RandomSource, seedOneGivesTheKnownSequence) {
    RandomSource source;
    source.seed(1);
    EXPECT_EQ(source.nextValue(), 41);
    EXPECT_EQ(source.nextValue(), 18467);
    EXPECT_EQ(source.nextValue(), 6334);
    EXPECT_EQ(source.nextValue(), 26500);
    EXPECT_EQ(source.nextValue(), 19169);
}

TEST(RandomSource, valuesStayWithin15Bits) {
    RandomSource source;
    source.seed(0xDEADBEEF);
    for (int i = 0; i < 100000; ++i) {
        const int32_t v = source.nextValue();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}
