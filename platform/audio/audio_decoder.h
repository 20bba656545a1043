#pragma once
// A source of decoded sound: interleaved frames of 32-bit floats in -1 to 1, at the file's own
// rate and channel count. The library resamples and mixes them; decoders only read.
#include <cstddef>
#include <cstdint>
#include <memory>

class AudioDecoder {
  public:
    virtual ~AudioDecoder() = default;
    virtual int channels() const = 0;
    virtual uint32_t rate() const = 0;
    // Reads up to `frames` frames into out (frames x channels floats); 0 at the end.
    virtual std::size_t read(float* out, std::size_t frames) = 0;
    // Back to the first frame; false when the source cannot go back.
    virtual bool rewind() = 0;
};

// Opens a file with the first decoder that takes it: our own WAV reader, then the system's.
// Null when none can play it.
std::unique_ptr<AudioDecoder> openAudioFile(const char* path);

// The platform's decoders (Media Foundation on Windows, libsndfile on Linux).
std::unique_ptr<AudioDecoder> openSystemDecoder(const char* path);
