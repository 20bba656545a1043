#pragma once
// Sound on Windows: waveOut for the output, Media Foundation for every file our own WAV reader
// does not read, and COM on each of the library's threads.
#include <cstdint>
#include <memory>

#include "seams/audio_platform.h"

AudioPlatform windowsAudioPlatform();

std::unique_ptr<AudioDevice> openWaveOutDevice(uint32_t rate);
std::unique_ptr<AudioDecoder> openMediaFoundationDecoder(const char* path);
