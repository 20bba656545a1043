#pragma once
// The process-wide music state and the end-of-track step that the audio library calls on its
// own thread. The saver run reaches the sound only through sound_steps.h; this is for the
// library's callback and for tests.
#include <cstdint>
#include <string>

class AudioPlayer;

// The current track has played to its end: free it and start the next name of the playlist.
// Runs on the audio library's thread; the arguments are not used.
void onTrackEnd(uint32_t sync, uint32_t channel, uint32_t data, void* user);

// The one AudioPlayer, made by openAudio when a sound option is on; null otherwise.
AudioPlayer* audioPlayer();
bool playlistCreated();
uint32_t currentStream();
std::string currentTrackName();

// Tests only: stops the sound, drops the player and closes the audio library, so the next case
// starts as a fresh process would.
void resetSoundForTesting();
