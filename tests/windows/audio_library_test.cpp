// The audio library on Windows (run under Wine): the real output when there is one, the
// system's decoders, and the notification thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/audio_library.h"
#include "testing/capture_audio_device.h"
#include "windows/windows_audio.h"

namespace {
std::atomic<int> ends{0};
std::atomic<DWORD> endThread{0};

void onEnd(AudioHandle, AudioHandle, uint32_t, void*) {
    endThread = GetCurrentThreadId();
    ++ends;
}

// The build directory as a Windows path (Wine shows the Unix root as drive Z:).
std::string samplePath(const char* name) {
    const char* build = std::getenv("EH_BUILD_DIR");
    return std::string("Z:") + (build ? build : ".") + "/test-sounds/" + name;
}

// A tone written by the test itself: 8-bit mono at 22050 Hz, a format the output must resample.
std::string writeOwnWav(int frames) {
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "emberhall-audio-test.wav";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            std::fputc(int(value >> (8 * i) & 0xFF), file);
    };
    std::fputs("RIFF", file);
    put(36 + frames, 4);
    std::fputs("WAVEfmt ", file);
    put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(22050, 4), put(1, 2), put(8, 2);
    std::fputs("data", file);
    put(frames, 4);
    for (int i = 0; i < frames; ++i)
        std::fputc(i % 50 < 25 ? 160 : 96, file);
    std::fclose(file);
    return path;
}

// The capture device in place of the sound card, with the system's decoders and threads.
AudioPlatform captureWithSystemDecoders() {
    AudioPlatform platform = windowsAudioPlatform();
    platform.openDevice = captureAudioPlatform().openDevice;
    return platform;
}

class WindowsAudio : public ::testing::Test {
  protected:
    void SetUp() override { audioUsePlatform(windowsAudioPlatform()); }
    void TearDown() override {
        audioFree();
        audioUsePlatform(windowsAudioPlatform());
    }
};
} // namespace

TEST_F(WindowsAudio, opensTheOutputOrStaysSilentAndRejectsHandleZero) {
    const bool opened = audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr);
    std::printf("output device %s\n", opened ? "opened" : "not available: silent");
    EXPECT_FALSE(audioChannelPlay(0, false));
    EXPECT_FALSE(audioChannelSetAttribute(0, audioAttribVolume, 1.0f));
    EXPECT_EQ(audioChannelSetSync(0, audioSyncEnd, 0, onEnd, nullptr), 0u);
    EXPECT_FALSE(audioStreamFree(0));
    EXPECT_EQ(audioStreamCreateFile(false, "C:/no/such/file.wav", 0, 0, 0), 0u);
    // Whether or not there is a device, a stream plays (or silently does not) without fault.
    const std::string wav = writeOwnWav(2205);
    const AudioHandle stream = audioStreamCreateFile(false, wav.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ends = 0;
    EXPECT_NE(audioChannelSetSync(stream, audioSyncEnd, 0, onEnd, nullptr), 0u);
    EXPECT_TRUE(audioChannelPlay(stream, false));
    if (opened) {
        // 100 ms of sound: its end comes on the library's thread once the device played it.
        for (int waited = 0; waited < 3000 && ends == 0; waited += 10)
            Sleep(10);
        EXPECT_EQ(ends, 1);
        EXPECT_NE(endThread, GetCurrentThreadId());
    }
    EXPECT_TRUE(audioStreamFree(stream));
}

TEST_F(WindowsAudio, decodesWavAndMp3AndNotifiesOnItsOwnThread) {
    audioUsePlatform(captureWithSystemDecoders());
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    const std::string own = writeOwnWav(2205);
    for (const std::string& path : {own, samplePath("tone.wav"), samplePath("tone.mp3")}) {
        const AudioHandle stream = audioStreamCreateFile(false, path.c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u) << path;
        ends = 0;
        endThread = 0;
        audioChannelSetSync(stream, audioSyncEnd, 0, onEnd, nullptr);
        audioChannelPlay(stream, false);
        const uint64_t from = audioCapturePosition();
        audioCaptureAdvance(44100);
        EXPECT_EQ(ends, 1) << path;
        EXPECT_NE(endThread, 0u);
        EXPECT_NE(endThread, GetCurrentThreadId()) << path;
        const auto segments = audioCaptureSegments();
        ASSERT_FALSE(segments.empty());
        const AudioSegment& heard = segments.back();
        EXPECT_EQ(heard.stream, stream);
        EXPECT_EQ(heard.start, from);
        // 0.1 s for our own tone, 0.5 s for the others (MP3 adds a little padding).
        const double seconds = double(heard.end - heard.start) / 44100;
        EXPECT_GT(seconds, path == own ? 0.095 : 0.49) << path;
        EXPECT_LT(seconds, path == own ? 0.105 : 0.56) << path;
        float peak = 0;
        const auto samples = audioCaptureSamples();
        for (uint64_t i = 2 * heard.start; i < 2 * heard.end; ++i)
            peak = std::max(peak, std::abs(samples[i]));
        EXPECT_GT(peak, 0.2f) << path; // really decoded, not silence
        audioStreamFree(stream);
    }
}

TEST_F(WindowsAudio, freedStreamSendsNoLaterNotification) {
    audioUsePlatform(captureWithSystemDecoders());
    ASSERT_TRUE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    const AudioHandle stream =
        audioStreamCreateFile(false, samplePath("tone.mp3").c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    ends = 0;
    audioChannelSetSync(stream, audioSyncEnd, 0, onEnd, nullptr);
    audioChannelPlay(stream, false);
    audioCaptureAdvance(4410);
    EXPECT_TRUE(audioStreamFree(stream));
    audioCaptureAdvance(44100);
    EXPECT_EQ(ends, 0);
    EXPECT_FALSE(audioChannelPlay(stream, false));
}
