#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/wav_reader.h"

namespace {
constexpr const char* fireSound = EMBERHALL_SOURCE_DIR "/data/fire_data/fire.wav";
constexpr int neighbourhood = 100; // frames on either side of the join
} // namespace

TEST(DefaultFireSound, isTenSecondsOfCdQualityBelowFullScale) {
    auto decoder = openWavDecoder(fireSound);
    ASSERT_NE(decoder, nullptr) << fireSound;
    EXPECT_EQ(decoder->rate(), 44100u);
    const int channels = decoder->channels();
    std::vector<float> all(std::size_t(12 * 44100 * channels));
    const std::size_t frames = decoder->read(all.data(), 12 * 44100);
    EXPECT_NEAR(double(frames) / 44100, 10.0, 0.5);
    float peak = 0;
    for (std::size_t i = 0; i < frames * channels; ++i)
        peak = std::max(peak, std::abs(all[i]));
    EXPECT_LT(peak, 0.95f);
    EXPECT_GT(peak, 0.1f); // and not silent
}

TEST(DefaultFireSound, loopsWithoutAJumpAtTheJoin) {
    auto decoder = openWavDecoder(fireSound);
    ASSERT_NE(decoder, nullptr) << fireSound;
    const int channels = decoder->channels();
    std::vector<float> all(std::size_t(12 * 44100 * channels));
    const std::size_t frames = decoder->read(all.data(), 12 * 44100);
    ASSERT_GT(frames, std::size_t(2 * neighbourhood));
    for (int c = 0; c < channels; ++c) {
        auto at = [&](std::size_t frame) { return all[frame * channels + c]; };
        float largestNearby = 0;
        for (std::size_t f = 1; f < neighbourhood; ++f) {
            largestNearby = std::max(largestNearby, std::abs(at(f) - at(f - 1)));
            largestNearby = std::max(largestNearby, std::abs(at(frames - f) - at(frames - f - 1)));
        }
        EXPECT_LE(std::abs(at(0) - at(frames - 1)), largestNearby) << "channel " << c;
    }
}
