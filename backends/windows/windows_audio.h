#pragma once
// Sound on Windows: waveOut for the output, Media Foundation for every file our own WAV reader
// does not read, and COM on each of the library's threads.
#include <cstdint>
#include <memory>

#include "seams/audio_platform.h"

AudioPlatform windowsAudioPlatform();

// Ends the sound for good as the process ends: closes the output and its threads, then Media
// Foundation if it was started. Left running into the process's end, Media Foundation's own
// threads sometimes crash it under Wine.
void endWindowsAudio();
void shutDownMediaFoundation();

std::unique_ptr<AudioDevice> openWaveOutDevice(uint32_t rate);
std::unique_ptr<AudioDecoder> openMediaFoundationDecoder(const char* path);
