#pragma once
// The sound of a saver run: a looping fire sound and a music playlist that plays without end,
// each switched by its option. Nothing here reports a failure: a missing file or device only
// leaves that sound out.
#include <chrono>
#include <cstdint>

struct Settings;

// How long the start of the sound may hold up the first frame, the fire sound and the first
// track together. A file that takes longer to open (a track on a network share that went
// offline) is left to open on its own, and plays when it does, unless the sound was stopped.
constexpr std::chrono::milliseconds soundStartWait{1000};
using SoundDeadline = std::chrono::steady_clock::time_point;
inline SoundDeadline soundStartDeadline() {
    return std::chrono::steady_clock::now() + soundStartWait;
}

// Opens the default output when the fire sound or the music is on; otherwise touches nothing.
void openAudio(const Settings& settings);
// Starts the looping fire sound at half volume when its option is on; returns its stream
// handle, 0 for none (or for one that did not open by `by`).
uint32_t startFireSound(const Settings& settings, SoundDeadline by = soundStartDeadline());
// Where the music stands: the track by where its name begins in the playlist file, and how far
// into it. The default place is the first track from its start.
struct MusicPlace {
    long trackOffset = 0;
    double seconds = 0.0;
};

// Starts the first track of the playlist when the music option is on; or, given a place, the
// track there from that point (a later run going on where an earlier one stopped). Waits for the
// track's file until `by` at most.
void startMusic(const Settings& settings, const MusicPlace& from = {},
                SoundDeadline by = soundStartDeadline());
// Where the music is now; the default place when none plays.
MusicPlace musicPlace();
// Closes the audio device and ends the library's threads, after stopAudio: a program that waits
// a long time between runs (for the session to be idle) keeps nothing running meanwhile. The
// next openAudio opens the device again.
void closeAudio();
// Stops the fire sound and the music and frees the playlist, without waiting for a file that is
// still being opened (its stream is freed unheard when it opens). Nothing is heard of the music
// after it returns, and no track starts.
void stopAudio(uint32_t fireStream);
