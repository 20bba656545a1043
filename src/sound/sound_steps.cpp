// The fire sound and the endless playlist.
//
// Two things here may take their time, and neither may hold up the frames or the stop: opening
// a file (a track on a network share that went offline opens never) and the end-of-track
// notification, which moves the playlist on from the audio library's own thread.
//
// - Every stream is opened on a thread of its own: an opening. Whoever asked for it waits only
//   until a deadline (the start of the sound about a second, a track end a second) or until the
//   sound is stopped. An opening that is late goes on alone and starts its stream itself when
//   the file opens at last; one that finds the sound stopped since it began frees its stream
//   unheard. A host without threads (a web page, whose files are in memory) opens in place.
// - One lock guards the music state, and no one holds it across a file operation. stopAudio
//   takes it only to mark the sound stopped (each stop begins a new `run`, which tells an
//   opening of an earlier one) and to take the streams to free, so it never waits for a file; a
//   notification already on its way finds the music stopped and leaves everything alone.
//   Streams are freed outside the lock, because freeing waits for a running notification of
//   that stream, which may be waiting for the lock.
// - The playlist reader is shared by the state and the opening that reads the next name from it
//   (which may ask the file system whether a whole line names a file), so a stop meanwhile frees
//   it only once the opening has let it go.
#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>

#include "audio/audio_mixing.h"
#include "base/no_destructor.h"
#include "seams/data_files.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "sound/audio_player.h"
#include "sound/music_state.h"
#include "sound/playlist.h"
#include "sound/sound_steps.h"

namespace {
constexpr float fireVolume = 0.5f;
constexpr float musicVolume = 1.0f;
// How long a track end waits for the next track before that opening goes on alone.
constexpr std::chrono::milliseconds trackOpenWait{1000};

struct MusicState {
    std::mutex lock;
    std::condition_variable changed; // an opening has its stream, or the sound was stopped
    uint64_t run = 0;                // one more at every stop
    uint32_t fireStream = 0;
    std::shared_ptr<Playlist> playlist;
    uint32_t currentStream = 0;
    std::unique_ptr<char[]> currentTrackName;
    long trackOffset = 0; // where the current track's name begins in the playlist
    bool opening = false; // the next track is being opened; currentStream is 0 meanwhile
    bool stopped = false; // set by stopAudio; a late notification then does nothing
};

// Kept until the process ends and never destroyed: the quit exit leaves the music playing, and
// a notification or an opening may still run while the process winds down.
MusicState& music() {
    static NoDestructor<MusicState> state;
    return *state;
}

// Made by openAudio and kept as long as the device, to the end of the process. The player has no
// state, so nothing of it is destroyed at exit while a notification may still use it.
std::optional<AudioPlayer> player;
static_assert(std::is_trivially_destructible_v<std::optional<AudioPlayer>>);

// One stream being opened, shared by the opening's thread and the one that waits for it.
struct Opening {
    uint64_t run = 0;
    std::function<uint32_t()> open; // the file work; runs outside the lock
    // Puts the stream to use; called under the lock, only while the run it began in lasts.
    std::function<void(MusicState&, uint32_t)> start;
    bool done = false; // open has returned
    bool late = false; // nobody waits any more: the opening starts its stream itself
    uint32_t stream = 0;
};

// Starts the stream that `opening` gave, or frees it when the sound was stopped since.
void settle(std::unique_lock<std::mutex>& guard, Opening& opening) {
    MusicState& state = music();
    if (state.run == opening.run) {
        opening.start(state, opening.stream);
        return;
    }
    guard.unlock();
    AudioPlayer::freeStream(opening.stream); // 0 is refused without effect
    guard.lock();
}

void runOpening(const std::shared_ptr<Opening>& opening) {
    audioThreadBegin(); // the platform's decoders may need it on every thread
    const uint32_t stream = opening->open();
    audioThreadEnd();
    MusicState& state = music();
    std::unique_lock guard(state.lock);
    opening->stream = stream;
    opening->done = true;
    if (opening->late)
        settle(guard, *opening);
    state.changed.notify_all();
}

// Opens on a thread of its own and waits until `by`, or until the sound is stopped.
void openStream(const std::shared_ptr<Opening>& opening, SoundDeadline by) {
    MusicState& state = music();
    bool inPlace = audioHostDelivers();
    if (!inPlace) {
        try {
            std::thread(runOpening, opening).detach();
        } catch (const std::system_error&) {
            inPlace = true; // no thread to be had: better a wait than no sound
        }
    }
    if (inPlace) {
        const uint32_t stream = opening->open();
        std::unique_lock guard(state.lock);
        opening->stream = stream;
        opening->done = true;
        settle(guard, *opening);
        return;
    }
    std::unique_lock guard(state.lock);
    state.changed.wait_until(guard, by, [&] { return opening->done || state.run != opening->run; });
    if (opening->done)
        settle(guard, *opening);
    else
        opening->late = true;
}

// An opening of the next name of `playlist`, which begins the current track at `seconds`.
// The caller holds the lock.
std::shared_ptr<Opening> trackOpening(MusicState& state, double seconds) {
    auto opening = std::make_shared<Opening>();
    opening->run = state.run;
    state.opening = true;
    opening->open = [playlist = state.playlist, run = state.run]() -> uint32_t {
        std::unique_ptr<char[]> name = playlist ? playlist->nextName() : nullptr;
        MusicState& state = music();
        {
            std::lock_guard guard(state.lock);
            if (state.run != run)
                return 0;
            state.trackOffset = playlist ? playlist->nameOffset() : 0;
            if (name) {
                state.currentTrackName = std::make_unique<char[]>(trackNameSize);
                std::copy_n(name.get(), trackNameSize, state.currentTrackName.get());
            } else {
                state.currentTrackName.reset();
            }
        }
        return name ? AudioPlayer::createStream(name.get(), 0) : 0;
    };
    // A track that cannot be played arms no notification: the music ends there.
    opening->start = [seconds](MusicState& state, uint32_t stream) {
        state.opening = false;
        state.currentStream = stream;
        if (stream == 0)
            return;
        if (seconds > 0)
            player->setPosition(stream, seconds);
        player->play(stream, 0);
        player->setVolume(stream, musicVolume);
        player->setEndSync(stream, onTrackEnd);
    };
    return opening;
}
} // namespace

void openAudio(const Settings& settings) {
    if (!isOn(settings.soundEffects) && !isOn(settings.musicPlaylist))
        return;
    if (!player)
        player.emplace();
}

uint32_t startFireSound(const Settings& settings, SoundDeadline by) {
    if (!isOn(settings.soundEffects) || !player)
        return 0;
    const std::string path = dataFilePath(fireSoundFileName);
    if (!isRegularFile(path.c_str()))
        return 0; // like a missing file: a FIFO or a device would hold the sound up for ever
    MusicState& state = music();
    auto opening = std::make_shared<Opening>();
    {
        std::lock_guard guard(state.lock);
        opening->run = state.run;
    }
    opening->open = [path] { return AudioPlayer::createStream(path.c_str(), loopFlag); };
    opening->start = [](MusicState& state, uint32_t stream) {
        state.fireStream = stream;
        player->play(stream, 0);
        player->setVolume(stream, fireVolume);
    };
    openStream(opening, by);
    std::lock_guard guard(state.lock);
    return state.fireStream;
}

void startMusic(const Settings& settings, const MusicPlace& from, SoundDeadline by) {
    if (!isOn(settings.musicPlaylist) || !player)
        return;
    auto playlist = std::make_shared<Playlist>();
    playlist->open(dataFilePath(playlistFileName).c_str());
    playlist->resumeAt(from.trackOffset);
    MusicState& state = music();
    std::shared_ptr<Opening> opening;
    {
        std::lock_guard guard(state.lock);
        state.stopped = false;
        state.playlist = std::move(playlist);
        state.currentStream = 0;
        opening = trackOpening(state, from.seconds);
    }
    openStream(opening, by);
}

void onTrackEnd(uint32_t, uint32_t, uint32_t, void*) {
    MusicState& state = music();
    std::shared_ptr<Opening> opening;
    uint32_t ended = 0;
    {
        std::lock_guard guard(state.lock);
        if (state.stopped || state.currentStream == 0 || !player)
            return;
        ended = state.currentStream;
        state.currentStream = 0;
        opening = trackOpening(state, 0.0);
    }
    AudioPlayer::freeStream(ended); // this notification's own stream: no wait for itself
    openStream(opening, std::chrono::steady_clock::now() + trackOpenWait);
}

void stopAudio(uint32_t fireStream) {
    if (!player)
        return;
    MusicState& state = music();
    uint32_t fire = 0, stream = 0;
    {
        std::lock_guard guard(state.lock);
        ++state.run;
        state.stopped = true;
        fire = state.fireStream;
        stream = state.currentStream;
        state.fireStream = state.currentStream = 0;
        state.opening = false;
        state.playlist.reset();
        state.currentTrackName.reset();
        state.trackOffset = 0;
        state.changed.notify_all(); // a track end waiting for its opening gives up now
    }
    if (fireStream != 0)
        AudioPlayer::freeStream(fireStream);
    if (fire != 0 && fire != fireStream)
        AudioPlayer::freeStream(fire); // one that opened late
    if (stream != 0)
        AudioPlayer::freeStream(stream); // after this no notification of the music runs
}

MusicPlace musicPlace() {
    MusicState& state = music();
    std::lock_guard guard(state.lock);
    if (!state.playlist || (state.currentStream == 0 && !state.opening))
        return {};
    const double seconds = state.currentStream ? player->position(state.currentStream) : 0.0;
    return {state.trackOffset, std::max(seconds, 0.0)};
}

AudioPlayer* audioPlayer() {
    return player ? &*player : nullptr;
}

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

void resetSoundForTesting() {
    closeAudio();
}

void closeAudio() {
    MusicState& state = music();
    {
        std::lock_guard guard(state.lock);
        ++state.run;
        state.stopped = true;
        state.changed.notify_all();
    }
    audioFree(); // joins the notification thread: nothing of the music runs after this
    std::lock_guard guard(state.lock);
    state.playlist.reset();
    state.currentTrackName.reset();
    state.currentStream = state.fireStream = 0;
    state.opening = false;
    state.trackOffset = 0;
    state.stopped = false;
    player.reset();
}
