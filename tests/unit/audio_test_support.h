#pragma once
// Shared by the sound tests: WAV files written on the spot, a private Windows directory, and
// the audio library opened on the capture device.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/capture_audio_device.h"
#include "settings/settings.h"
#include "seams/data_files.h"
#include "sound/music_state.h"
#include "test_support.h"

inline void putLe(std::vector<uint8_t>& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

// A canonical PCM WAV file image: RIFF header, "fmt " chunk, "data" chunk.
inline std::vector<uint8_t> wavImage(uint32_t rate, uint16_t channels, uint16_t bits,
                                     const std::vector<int>& samples) {
    const uint32_t bytesPerSample = bits / 8;
    const uint32_t dataBytes = uint32_t(samples.size()) * bytesPerSample;
    std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F'};
    putLe(bytes, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt "))
        bytes.push_back(uint8_t(c));
    putLe(bytes, 16, 4);
    putLe(bytes, 1, 2);
    putLe(bytes, channels, 2);
    putLe(bytes, rate, 4);
    putLe(bytes, rate * channels * bytesPerSample, 4);
    putLe(bytes, channels * bytesPerSample, 2);
    putLe(bytes, bits, 2);
    for (char c : std::string("data"))
        bytes.push_back(uint8_t(c));
    putLe(bytes, dataBytes, 4);
    for (int sample : samples)
        putLe(bytes, uint32_t(sample), int(bytesPerSample));
    return bytes;
}

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    // An empty vector has no data pointer, and fwrite must not be given a null one.
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A 16-bit mono track at 44100 Hz that holds one value throughout, so its samples tell which
// track a stretch of the mix came from.
inline void writeLevelTrack(const std::filesystem::path& path, int level, int frames) {
    writeFile(path, wavImage(44100, 1, 16, std::vector<int>(std::size_t(frames), level)));
}

// Each case gets its own Windows directory and a fresh audio library on the capture device.
class SoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "fire_data");
        useDataFiles(DataFiles{{dir.c_str()}});
        resetSettings();
        resetSoundForTesting();
        audioUsePlatform(captureAudioPlatform());
    }
    void TearDown() override {
        resetSoundForTesting();
        audioUsePlatform(AudioPlatform{});
        resetSettings();
    }
    TempDirectory temp;
    const std::filesystem::path dir = temp.path();
};
