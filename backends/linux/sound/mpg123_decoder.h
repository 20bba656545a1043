#pragma once
// MP3 on Linux: libmpg123, asked to keep quiet. libsndfile reads MP3 through the same library
// but leaves its notes on: a broken or mistaken track would print "Note: Illegal Audio-MPEG-
// Header ..." to stderr, which a screen-saver host shows in the user's session log.
#include <memory>

#include "seams/audio_platform.h"

std::unique_ptr<AudioDecoder> openMpg123Decoder(const char* path);
