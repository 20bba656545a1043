#pragma once
// Our own reader of RIFF WAVE files with PCM samples: 8-bit (unsigned) or 16-bit (signed,
// little-endian), mono or stereo, any rate. Shared by both builds, so a WAV file sounds the same
// on Windows and in the native tests. Anything else is left to the system's decoders.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "seams/audio_platform.h"

struct WavFormat {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bitsPerSample = 0;
    uint64_t dataOffset = 0; // where the samples start in the file
    uint64_t dataBytes = 0;  // whole frames only, and no more than the file holds
    uint16_t blockAlign() const { return uint16_t(channels * (bitsPerSample / 8)); }
    uint64_t frames() const { return blockAlign() ? dataBytes / blockAlign() : 0; }
};

enum class WavHeader {
    ok,
    notWav,      // not a RIFF WAVE file: another decoder may know it
    unsupported, // a WAVE file in a coding or layout we do not read (float, 24-bit, 6 channels)
    broken,      // cut short or inconsistent
};

struct WavParse {
    WavHeader result = WavHeader::notWav;
    WavFormat format;
};

// Reads the header from the first bytes of a file (`head`, which must hold every chunk before
// the samples) whose whole size is fileSize. A data chunk that claims more than the file holds
// is cut to what is there.
WavParse parseWavHeader(std::span<const uint8_t> head, uint64_t fileSize);

// Converts `frames` frames of raw samples in the given format to floats in -1 to 1.
void convertWavSamples(const uint8_t* raw, std::size_t frames, const WavFormat& format, float* out);

// A decoder over a WAV file we can read; null for any other file.
std::unique_ptr<AudioDecoder> openWavDecoder(const char* path);
