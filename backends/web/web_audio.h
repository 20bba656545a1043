#pragma once
// Sound in a page. The page's Web Audio graph plays what our audio library mixes. A page without
// shared memory has no threads, so the library delivers its end notifications only when asked
// (host delivery) and the page pulls the mix from its own loop: each time it tops up the sound
// it has queued, it calls webAudioPull, which mixes, clamps and then runs the notifications the
// block caused, so the next track of the playlist follows at once.
#include <cstddef>

#include "seams/audio_platform.h"

// The device is the page's audio graph; there are no decoders of our own beyond the WAV reader,
// as the page has the browser decode other formats into WAV files before they are played.
AudioPlatform webAudioPlatform();

// The next `frames` stereo frames, interleaved, clamped to -1 ... 1; valid until the next call.
const float* webAudioPull(std::size_t frames);
