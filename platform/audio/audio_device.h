#pragma once
// The inside of the audio library, between its core (streams, mixing, notifications) and the
// output backends. A device pulls mixed sound from the core with audioMixFrames, on its own
// thread (waveOut) or on the caller's (the capture device's virtual clock).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "audio/audio_library.h"

class AudioDevice {
  public:
    virtual ~AudioDevice() = default; // stops pulling before it returns
};

// What the mixer tells an observer about each stream it mixed into a block.
class AudioMixObserver {
  public:
    virtual ~AudioMixObserver() = default;
    // `frames` frames of the stream from `offset` in the block, at `volume`.
    virtual void mixed(AudioHandle stream, const char* name, std::size_t offset, std::size_t frames,
                       float volume) = 0;
};

// Mixes the next `frames` stereo frames of every playing stream into out (overwritten,
// interleaved left/right, unclipped). Streams that reach their end here queue their
// notifications.
void audioMixFrames(float* out, std::size_t frames, AudioMixObserver* observer = nullptr);

// Waits until every queued end notification has run.
void audioWaitForNotifications();

// Every thread of the library calls these at its start and end: on Windows they enter and
// leave the multithreaded COM apartment that the system's decoders need.
void audioThreadBegin();
void audioThreadEnd();

// The platform's own output at `rate`, stereo; null when there is none.
std::unique_ptr<AudioDevice> openSystemAudioDevice(uint32_t rate);
// The memory device of audio_capture.h.
std::unique_ptr<AudioDevice> openCaptureAudioDevice(uint32_t rate);
