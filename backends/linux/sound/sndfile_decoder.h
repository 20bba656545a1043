#pragma once
// Decoding on Linux of the containers libsndfile knows (FLAC, Ogg Vorbis and the WAV codings our
// own reader leaves out); MP3 goes to libmpg123 (linux/sound/mpg123_decoder.h).
#include <memory>

#include "seams/audio_platform.h"

std::unique_ptr<AudioDecoder> openSndfileDecoder(const char* path);
