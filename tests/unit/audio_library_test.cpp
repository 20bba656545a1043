#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "audio/audio_library.h"
#include "audio/audio_mixing.h"
#include "audio_test_support.h"

namespace {
class AudioLibrary : public SoundTest {
  protected:
    AudioHandle open(const std::filesystem::path& path, uint32_t flags = 0) {
        return audioStreamCreateFile(false, path.c_str(), 0, 0, flags);
    }
};

std::atomic<int> endCount{0};
std::atomic<AudioHandle> endedChannel{0};
std::thread::id endThread;

void countEnd(AudioHandle, AudioHandle channel, uint32_t, void*) {
    endThread = std::this_thread::get_id();
    endedChannel = channel;
    ++endCount;
}

float left(const std::vector<float>& samples, uint64_t frame) {
    return samples[2 * frame];
}
} // namespace

TEST_F(AudioLibrary, rejectsHandleZeroAndFreedHandles) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(audioChannelPlay(0, false));
    EXPECT_FALSE(audioChannelSetAttribute(0, audioAttribVolume, 0.5f));
    EXPECT_EQ(audioChannelSetSync(0, audioSyncEnd, 0, countEnd, nullptr), 0u);
    EXPECT_FALSE(audioStreamFree(0));
    writeLevelTrack(dir / "a.wav", 1000, 100);
    const AudioHandle stream = open(dir / "a.wav");
    ASSERT_NE(stream, 0u);
    EXPECT_TRUE(audioStreamFree(stream));
    EXPECT_FALSE(audioChannelPlay(stream, false));
    EXPECT_FALSE(audioStreamFree(stream));
}

TEST_F(AudioLibrary, givesZeroForFilesItCannotPlay) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeText(dir / "words.wav", "RIFF but not really a sound file");
    writeFile(dir / "cut.wav", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm'});
    EXPECT_EQ(open(dir / "missing.wav"), 0u);
    EXPECT_EQ(open(dir / "words.wav"), 0u);
    EXPECT_EQ(open(dir / "cut.wav"), 0u);
    EXPECT_EQ(open(dir), 0u); // a directory
    EXPECT_EQ(audioStreamCreateFile(false, "", 0, 0, 0), 0u);
    EXPECT_EQ(audioStreamCreateFile(false, nullptr, 0, 0, 0), 0u);
}

TEST_F(AudioLibrary, staysSilentWithoutADevice) {
    audioUsePlatform(AudioPlatform{});
    EXPECT_FALSE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeLevelTrack(dir / "a.wav", 1000, 10);
    const AudioHandle stream = open(dir / "a.wav");
    EXPECT_TRUE(audioChannelPlay(stream, false));
    EXPECT_NE(audioChannelSetSync(stream, audioSyncEnd, 0, countEnd, nullptr), 0u);
    audioCaptureAdvance(44100);
    EXPECT_EQ(audioCapturePosition(), 0u);
    EXPECT_TRUE(audioStreamFree(stream));
}

TEST_F(AudioLibrary, mixesAtTheStreamsVolumeUntilItEnds) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeLevelTrack(dir / "a.wav", 16384, 1000);
    const AudioHandle stream = open(dir / "a.wav");
    audioChannelSetAttribute(stream, audioAttribVolume, 0.5f);
    audioChannelPlay(stream, false);
    audioCaptureAdvance(2000);
    const auto samples = audioCaptureSamples();
    EXPECT_FLOAT_EQ(left(samples, 0), 0.25f);
    EXPECT_FLOAT_EQ(samples[2 * 999 + 1], 0.25f); // mono is heard on both sides
    EXPECT_FLOAT_EQ(left(samples, 1000), 0.0f);
    const auto segments = audioCaptureSegments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].start, 0u);
    EXPECT_EQ(segments[0].end, 1000u);
    EXPECT_EQ(segments[0].volume, 0.5f);
}

TEST_F(AudioLibrary, clampsVolume) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeLevelTrack(dir / "a.wav", 16384, 44100);
    const AudioHandle stream = open(dir / "a.wav");
    audioChannelPlay(stream, false);
    for (const auto& [given, heard] : {std::pair{1.5f, 1.0f}, {-0.2f, 0.0f}, {NAN, 0.0f}}) {
        audioChannelSetAttribute(stream, audioAttribVolume, given);
        audioCaptureAdvance(audioCaptureBlock);
        EXPECT_EQ(audioCaptureSegments().back().volume, heard) << given;
    }
}

TEST_F(AudioLibrary, notifiesTheEndOnItsOwnThread) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeLevelTrack(dir / "a.wav", 1000, 500);
    const AudioHandle stream = open(dir / "a.wav");
    endCount = 0;
    audioChannelSetSync(stream, audioSyncEnd, 0, countEnd, nullptr);
    audioChannelPlay(stream, false);
    audioCaptureAdvance(400);
    EXPECT_EQ(endCount, 0);
    audioCaptureAdvance(400);
    EXPECT_EQ(endCount, 1);
    EXPECT_EQ(endedChannel, stream);
    EXPECT_NE(endThread, std::this_thread::get_id());
    audioCaptureAdvance(44100);
    EXPECT_EQ(endCount, 1); // once, not again while it stays ended
    // A sync armed after the end still fires, so a very short track cannot stall a playlist.
    audioChannelSetSync(stream, audioSyncEnd, 0, countEnd, nullptr);
    audioCaptureAdvance(audioCaptureBlock);
    EXPECT_EQ(endCount, 2);
}

TEST_F(AudioLibrary, freedStreamIsNeitherHeardNorNotified) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeLevelTrack(dir / "a.wav", 1000, 500);
    const AudioHandle stream = open(dir / "a.wav");
    endCount = 0;
    audioChannelSetSync(stream, audioSyncEnd, 0, countEnd, nullptr);
    audioChannelPlay(stream, false);
    audioCaptureAdvance(100);
    audioStreamFree(stream);
    audioCaptureAdvance(1000);
    EXPECT_EQ(endCount, 0);
    EXPECT_EQ(audioCaptureSegments().back().end, 100u);
}

TEST_F(AudioLibrary, loopsWithoutASeam) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    // One period of a sine per file (at an odd rate, so the seam is resampled too): played in
    // a loop it must go on as one unbroken sine, the join no steeper than any other step.
    for (const uint32_t rate : {44100u, 22050u, 32000u}) {
        const int frames = int(rate) / 100;
        std::vector<int> sine(std::size_t(frames), 0);
        for (int i = 0; i < frames; ++i)
            sine[std::size_t(i)] = int(std::lround(16000 * std::sin(2 * M_PI * i / frames)));
        writeFile(dir / "loop.wav", wavImage(rate, 1, 16, sine));
        const AudioHandle stream = open(dir / "loop.wav", audioStreamLoop);
        audioChannelPlay(stream, false);
        const uint64_t from = audioCapturePosition();
        audioCaptureAdvance(44100 / 10);
        audioStreamFree(stream);
        const auto samples = audioCaptureSamples();
        float largestStep = 0, sum = 0;
        for (uint64_t f = from + 1; f < from + 44100 / 10; ++f) {
            largestStep = std::max(largestStep, std::abs(left(samples, f) - left(samples, f - 1)));
            sum += std::abs(left(samples, f));
        }
        // A sine of 100 Hz at amplitude 16000/32768 steps by at most 2 pi 100 / 44100 of it.
        const float steepest = float(2 * M_PI * 100 / 44100 * 16000 / 32768);
        EXPECT_LE(largestStep, steepest * 1.05f) << rate;
        EXPECT_GT(sum / (44100 / 10), 0.25f) << rate; // it kept playing: mean |sine| ~ 0.31
    }
}

TEST_F(AudioLibrary, resamplesToTheOutputRate) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    writeFile(dir / "low.wav", wavImage(11025, 2, 8, std::vector<int>(2 * 1000, 192)));
    const AudioHandle stream = open(dir / "low.wav");
    audioChannelPlay(stream, false);
    audioCaptureAdvance(8000);
    const auto segments = audioCaptureSegments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_NEAR(double(segments[0].end), 4000.0, 4.0); // a 1000-frame file at a quarter rate
    EXPECT_FLOAT_EQ(left(audioCaptureSamples(), 2000), 0.5f);
}

TEST_F(AudioLibrary, startsFromAGivenPositionAndTellsWhereItIs) {
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    std::vector<int> ramp(30000);
    for (int i = 0; i < 30000; ++i)
        ramp[size_t(i)] = i; // each sample says which frame it is
    writeFile(dir / "ramp.wav", wavImage(44100, 1, 16, ramp));
    const AudioHandle stream = open(dir / "ramp.wav", audioStreamLoop);
    EXPECT_DOUBLE_EQ(audioChannelGetPosition(stream), 0.0);
    EXPECT_TRUE(audioChannelSetPosition(stream, 10000.0 / 44100));
    audioChannelPlay(stream, false);
    audioCaptureAdvance(audioCaptureBlock);
    EXPECT_FLOAT_EQ(left(audioCaptureSamples(), 0), 10000.0f / 32768);
    EXPECT_NEAR(audioChannelGetPosition(stream), (10000.0 + audioCaptureBlock) / 44100, 1e-9);
    // A loop counts from its latest start.
    audioCaptureAdvance(20000);
    EXPECT_NEAR(audioChannelGetPosition(stream), (10000.0 + 20441 - 30000) / 44100, 1e-9);

    // Refused, and nothing changed: no stream, a negative time, not a number.
    EXPECT_LT(audioChannelGetPosition(0), 0.0);
    EXPECT_FALSE(audioChannelSetPosition(0, 1.0));
    EXPECT_FALSE(audioChannelSetPosition(stream, -1.0));
    EXPECT_FALSE(audioChannelSetPosition(stream, NAN));
    EXPECT_NEAR(audioChannelGetPosition(stream), (10000.0 + 20441 - 30000) / 44100, 1e-9);

    // Past the end of a track played once: it ends at once and says so.
    const AudioHandle once = open(dir / "ramp.wav");
    EXPECT_TRUE(audioChannelSetPosition(once, 60.0));
    audioChannelSetSync(once, audioSyncEnd, 0, countEnd, nullptr);
    endCount = 0;
    audioChannelPlay(once, false);
    audioCaptureAdvance(audioCaptureBlock);
    audioWaitForNotifications();
    EXPECT_EQ(endCount, 1);
}
