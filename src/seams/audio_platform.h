#pragma once
// What our audio library needs from the operating system: an output device that pulls the mix,
// decoders for the files our own WAV reader does not read, and a word at the start and the end
// of each of the library's threads. A backend hands these to the library once, before it is
// opened (audioUsePlatform); without them the library is silent and plays WAV files only.
#include <cstddef>
#include <cstdint>
#include <memory>

// An output device. From its opening until its destruction it pulls mixed frames with
// audioMixFrames (audio/audio_mixing.h), on a thread of its own or on the caller's.
class AudioDevice {
  public:
    virtual ~AudioDevice() = default; // stops pulling before it returns
};

// A source of decoded sound: interleaved frames of 32-bit floats in -1 to 1, at the file's own
// rate and channel count. The library resamples and mixes them; decoders only read.
class AudioDecoder {
  public:
    virtual ~AudioDecoder() = default;
    virtual int channels() const = 0;
    virtual uint32_t rate() const = 0;
    // Reads up to `frames` frames into out (frames x channels floats); 0 at the end.
    virtual std::size_t read(float* out, std::size_t frames) = 0;
    // Back to the first frame; false when the source cannot go back.
    virtual bool rewind() = 0;
    // To frame `frame` from the start, so that the next read begins there (at the end when the
    // source is shorter); false when the source cannot get there. This one reads its way there
    // from the start; decoders that can jump override it.
    virtual bool seek(uint64_t frame);
};

struct AudioPlatform {
    // The output at `rate`, stereo; null when there is none.
    std::unique_ptr<AudioDevice> (*openDevice)(uint32_t rate) = nullptr;
    // A decoder for a file that is not a WAV file we read ourselves; null when it cannot be
    // played.
    std::unique_ptr<AudioDecoder> (*openDecoder)(const char* path) = nullptr;
    // Called at the start and at the end of every thread of the library and of the devices.
    void (*threadBegin)() = nullptr;
    void (*threadEnd)() = nullptr;
};
