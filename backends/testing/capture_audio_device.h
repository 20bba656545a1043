#pragma once
// The capture device: a stand-in for the sound card that mixes into memory on a virtual clock,
// so tests can check what a listener would have heard: which stream played when, at what
// volume, and the samples themselves. Time moves only when a test advances it.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_library.h"
#include "seams/audio_platform.h"

// The platform whose device is the capture device (and which decodes nothing but our own WAV
// files). Give it to audioUsePlatform before audioInit; an empty AudioPlatform{} instead means
// no device at all, so audioInit fails and the library stays silent.
AudioPlatform captureAudioPlatform();

// A stretch of one stream heard at one volume, in frames of the virtual clock.
struct AudioSegment {
    AudioHandle stream = 0;
    std::string name;
    uint64_t start = 0;
    uint64_t end = 0;
    float volume = 0;
};

// Advances the virtual clock by `frames` output frames, in blocks of audioCaptureBlock, and after
// each block waits for the end notifications it caused (so the next track starts in the next
// block, as it would on a real device). Does nothing without an open capture device.
constexpr uint32_t audioCaptureBlock = 441; // 10 ms at 44100 Hz
void audioCaptureAdvance(uint64_t frames);

uint64_t audioCapturePosition();
std::vector<AudioSegment> audioCaptureSegments();
// Everything mixed so far, interleaved left/right.
std::vector<float> audioCaptureSamples();
