#pragma once
// The saver's handle on the audio library: no state of its own, only the calls with the values
// the sound needs. Only createStream has a result worth using; the library rejects handle 0
// without effect, so a stream that could not be created may still be passed to the others.
#include <cstdint>

#include "audio/audio_library.h"

constexpr uint32_t outputRate = 44100;
constexpr uint32_t loopFlag = audioStreamLoop; // the fire sound loops; music tracks play once

class AudioPlayer {
  public:
    // Opens the default output; the result is not examined (no device means silence).
    AudioPlayer();
    // Static, like freeStream: a file may take long to open, on a thread of its own, and the
    // stream that it gives may have to be freed when the player is long gone.
    static uint32_t createStream(const char* name, uint32_t flags);
    void play(uint32_t handle, int restart);
    void setEndSync(uint32_t handle, AudioSyncProc* routine);
    static void freeStream(uint32_t handle);
    // Clamped to 0 ... 1 before the call (clampVolume).
    void setVolume(uint32_t handle, float value);
    // Seconds from the start of the stream; a later run starts its track there again.
    double position(uint32_t handle);
    void setPosition(uint32_t handle, double seconds);
};
