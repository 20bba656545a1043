#include "sound/audio_player.h"

AudioPlayer::AudioPlayer() {
    audioInit(audioDefaultDevice, outputRate, 0, nullptr, nullptr);
}

uint32_t AudioPlayer::createStream(const char* name, uint32_t flags) {
    return audioStreamCreateFile(false, name, 0, 0, flags);
}

void AudioPlayer::play(uint32_t handle, int restart) {
    audioChannelPlay(handle, restart != 0);
}

void AudioPlayer::setEndSync(uint32_t handle, AudioSyncProc* routine) {
    audioChannelSetSync(handle, audioSyncEnd, 0, routine, nullptr);
}

void AudioPlayer::freeStream(uint32_t handle) {
    audioStreamFree(handle);
}

void AudioPlayer::setVolume(uint32_t handle, float value) {
    audioChannelSetAttribute(handle, audioAttribVolume, clampVolume(value));
}

double AudioPlayer::position(uint32_t handle) {
    return audioChannelGetPosition(handle);
}

void AudioPlayer::setPosition(uint32_t handle, double seconds) {
    audioChannelSetPosition(handle, seconds);
}
