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
// Starts the first track of the playlist when the music option is on.
void startMusic(const Settings& settings);
// Stops the fire sound and the music and frees the playlist. No end-of-track notification runs
// after it returns.
void stopAudio(uint32_t fireStream);
