#pragma once
// Where a run left its messages and its music, so that the next run can go on from there
// instead of starting both from the top. A screen-saver daemon restarts its saver every few
// minutes; without this, someone with an hour of music would hear its first minutes over and
// over.
//
// Each place is a byte offset into its file, kept with a digest of the file's contents: when
// the file has changed since, the offset means nothing and the run starts that file from the
// top. Kept as a few lines of text:
//
//   emberhall resume 1
//   messages <digest, 16 hex digits> <offset of the next message>
//   music <digest, 16 hex digits> <offset of the track's name> <milliseconds into the track>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sound/sound_steps.h"

struct ResumePoint {
    uint64_t scriptDigest = 0;
    long nextMessage = 0; // where the message after the last one shown begins in the script
    uint64_t playlistDigest = 0;
    MusicPlace music;
};

std::string formatResumePoint(const ResumePoint& point);
// Nothing unless the text is exactly what formatResumePoint writes: a damaged or foreign file
// means starting from the top.
std::optional<ResumePoint> parseResumePoint(std::string_view text);

// A digest of the file's bytes (64-bit FNV-1a); 0 when it cannot be read.
uint64_t fileDigest(const char* path);
