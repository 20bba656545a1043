// The fire sound and the endless playlist.
//
// The music moves on from the audio library's thread (onTrackEnd) while the saver's thread may
// stop it at any moment (stopAudio). One lock keeps the two apart: onTrackEnd holds it for its
// whole step, and stopAudio marks the music stopped under it before it frees anything, so a
// notification that was already on its way finds the music stopped and leaves the freed name,
// reader and stream alone. The stream is freed outside the lock, because freeing waits for a
// running notification of that stream, and that notification may be waiting for the lock.
#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

#include "base/no_destructor.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "sound/audio_player.h"
#include "sound/music_state.h"
#include "sound/playlist.h"
#include "sound/sound_steps.h"

namespace {
constexpr float fireVolume = 0.5f;
constexpr float musicVolume = 1.0f;

struct MusicState {
    std::mutex lock;
    std::unique_ptr<Playlist> playlist;
    uint32_t currentStream = 0;
    std::unique_ptr<char[]> currentTrackName;
    bool stopped = false; // set by stopAudio; a late notification then does nothing
};

// Kept until the process ends and never destroyed: the quit exit leaves the music playing, and
// a notification may still run while the process winds down.
MusicState& music() {
    static NoDestructor<MusicState> state;
    return *state;
}

// Made by openAudio and kept as long as the device, to the end of the process. The player has no
// state, so nothing of it is destroyed at exit while a notification may still use it.
std::optional<AudioPlayer> player;
static_assert(std::is_trivially_destructible_v<std::optional<AudioPlayer>>);

// Starts `name` as the current track; 0 when it cannot be played, which ends the music.
uint32_t startTrack(const char* name) {
    const uint32_t stream = name ? player->createStream(name, 0) : 0;
    player->play(stream, 0);
    player->setVolume(stream, musicVolume);
    player->setEndSync(stream, onTrackEnd);
    return stream;
}
} // namespace

void openAudio(const Settings& settings) {
    if (!isOn(settings.soundEffects) && !isOn(settings.musicPlaylist))
        return;
    if (!player)
        player.emplace();
}

uint32_t startFireSound(const Settings& settings) {
    if (!isOn(settings.soundEffects) || !player)
        return 0;
    const std::string path = dataFilePath(fireSoundFileName);
    const uint32_t fireStream = player->createStream(path.c_str(), loopFlag);
    player->play(fireStream, 0);
    player->setVolume(fireStream, fireVolume);
    return fireStream;
}

void startMusic(const Settings& settings, const MusicPlace& from) {
    if (!isOn(settings.musicPlaylist) || !player)
        return;
    MusicState& state = music();
    std::lock_guard guard(state.lock);
    state.stopped = false;
    state.playlist = std::make_unique<Playlist>();
    state.playlist->open(dataFilePath(playlistFileName).c_str());
    state.playlist->resumeAt(from.trackOffset);
    state.currentTrackName = state.playlist->nextName();
    const uint32_t stream =
        state.currentTrackName ? player->createStream(state.currentTrackName.get(), 0) : 0;
    if (from.seconds > 0)
        player->setPosition(stream, from.seconds);
    player->play(stream, 0);
    player->setEndSync(stream, onTrackEnd);
    player->setVolume(stream, musicVolume);
    state.currentStream = stream;
}

void onTrackEnd(uint32_t, uint32_t, uint32_t, void*) {
    MusicState& state = music();
    std::lock_guard guard(state.lock);
    if (state.stopped || state.currentStream == 0 || !player)
        return;
    state.currentTrackName = state.playlist ? state.playlist->nextName() : nullptr;
    player->freeStream(state.currentStream);
    state.currentStream = startTrack(state.currentTrackName.get());
}

void stopAudio(uint32_t fireStream) {
    if (!player)
        return;
    if (fireStream != 0)
        player->freeStream(fireStream);
    MusicState& state = music();
    uint32_t stream;
    {
        std::lock_guard guard(state.lock);
        state.stopped = true;
        stream = state.currentStream;
        state.currentStream = 0;
    }
    if (stream != 0)
        player->freeStream(stream); // after this no notification of the music runs
    std::lock_guard guard(state.lock);
    state.playlist.reset();
    state.currentTrackName.reset();
}

MusicPlace musicPlace() {
    MusicState& state = music();
    std::lock_guard guard(state.lock);
    if (state.currentStream == 0 || !state.playlist)
        return {};
    return {state.playlist->nameOffset(), std::max(player->position(state.currentStream), 0.0)};
}

AudioPlayer* audioPlayer() { return player ? &*player : nullptr; }

bool playlistCreated() {
    std::lock_guard guard(music().lock);
    return music().playlist != nullptr;
}

uint32_t currentStream() {
    std::lock_guard guard(music().lock);
    return music().currentStream;
}

std::string currentTrackName() {
    std::lock_guard guard(music().lock);
    return music().currentTrackName ? music().currentTrackName.get() : "";
}

void resetSoundForTesting() { closeAudio(); }

void closeAudio() {
    {
        std::lock_guard guard(music().lock);
        music().stopped = true;
    }
    audioFree(); // joins the notification thread: nothing of the music runs after this
    std::lock_guard guard(music().lock);
    music().playlist.reset();
    music().currentTrackName.reset();
    music().currentStream = 0;
    music().stopped = false;
    player.reset();
}
