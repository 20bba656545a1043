#pragma once
// The side of the audio library that output devices see: they pull the mix from it.
#include <cstddef>

#include "audio/audio_library.h"

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

// The platform's thread hooks, for a device's own thread: at its start and at its end.
void audioThreadBegin();
void audioThreadEnd();
