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

// Waits until every queued end notification has run (runs them, under host delivery).
void audioWaitForNotifications();

// Host delivery, for a host without threads (a web page without shared memory): the library
// then starts no thread of its own, and its end notifications run only when the host calls
// audioDeliverNotifications, on the host's thread, typically right after it has pulled a block.
// Chosen before audioInit; no other thread may deliver while it is on.
void audioUseHostDelivery(bool on);
bool audioHostDelivers();
void audioDeliverNotifications();

// The platform's thread hooks, for a device's own thread: at its start and at its end.
void audioThreadBegin();
void audioThreadEnd();
