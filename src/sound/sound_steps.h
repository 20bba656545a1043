#pragma once
// The sound of a saver run: a looping fire sound and a music playlist that plays without end,
// each switched by its option. Nothing here reports a failure: a missing file or device only
// leaves that sound out.
#include <cstdint>

struct Settings;

// Opens the default output when the fire sound or the music is on; otherwise touches nothing.
void openAudio(const Settings& settings);
// Starts the looping fire sound at half volume when its option is on; returns its stream
// handle, 0 for none.
uint32_t startFireSound(const Settings& settings);
// Where the music stands: the track by where its name begins in the playlist file, and how far
// into it. The default place is the first track from its start.
struct MusicPlace {
    long trackOffset = 0;
    double seconds = 0.0;
};

// Starts the first track of the playlist when the music option is on; or, given a place, the
// track there from that point (a later run going on where an earlier one stopped).
void startMusic(const Settings& settings, const MusicPlace& from = {});
// Where the music is now; the default place when none plays.
MusicPlace musicPlace();
// Closes the audio device and ends the library's threads, after stopAudio: a program that waits
// a long time between runs (for the session to be idle) keeps nothing running meanwhile. The
// next openAudio opens the device again.
void closeAudio();
// Stops the fire sound and the music and frees the playlist. No end-of-track notification runs
// after it returns.
void stopAudio(uint32_t fireStream);
