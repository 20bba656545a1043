// Placeholders until the audio library and the playlist land.
#include "sound/sound_steps.h"

void openAudio() {}
uint32_t startFireSound() { return 0; }
void startMusic() {}
void stopAudio(uint32_t) {}
