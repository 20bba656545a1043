#pragma once
// Decoding on Linux of everything our own WAV reader does not read: libsndfile, which reads MP3
// (through libmpg123), FLAC, Ogg Vorbis and the WAV codings we leave out.
#include <memory>

#include "seams/audio_platform.h"

std::unique_ptr<AudioDecoder> openSndfileDecoder(const char* path);
