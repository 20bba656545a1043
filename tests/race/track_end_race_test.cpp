// Thousands of end-of-track notifications racing the stop of the sound. A "device" thread
// mixes without pause, and every block ends the current track (each lasts a few frames), so
// the library's thread is always moving the playlist on while the main thread starts and
// stops the music at random moments. ThreadSanitizer fails the run on any data race, or on a
// name, reader or stream used after stopAudio freed it; the checks below fail it on a
// notification that arrives after stopAudio returned. It runs until enough cycles saw the
// playlist move on while the music played (a busy machine needs longer for as many), within a
// bound of time; only too few such cycles in all says the race was not exercised.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "audio/audio_mixing.h"
#include "seams/data_files.h"
#include "settings/settings.h"
#include "sound/music_state.h"
#include "sound/sound_steps.h"
#include "testing/capture_audio_device.h"

namespace {
constexpr int overlapsWanted = 1500;
constexpr int overlapsNeeded = 100;
constexpr auto longestRun = std::chrono::seconds(60);
constexpr std::size_t blockFrames = 64;
constexpr int trackFrames = 16;

void writeTrack(const std::filesystem::path& path) {
    const uint32_t dataBytes = trackFrames * 2;
    std::vector<uint8_t> bytes;
    auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(uint8_t(value >> (8 * i)));
    };
    for (char c : std::string("RIFF"))
        bytes.push_back(uint8_t(c));
    put(36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt "))
        bytes.push_back(uint8_t(c));
    put(16, 4), put(1, 2), put(1, 2), put(44100, 4), put(88200, 4), put(2, 2), put(16, 2);
    for (char c : std::string("data"))
        bytes.push_back(uint8_t(c));
    put(dataBytes, 4);
    for (int i = 0; i < trackFrames; ++i)
        put(1000, 2);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Counts the streams the device heard, the tracks that ended (a track shorter than the block
// ends inside it; the fire sound loops and fills it), and every block heard after the music was
// stopped.
class Listener : public AudioMixObserver {
  public:
    void mixed(AudioHandle stream, const char*, std::size_t, std::size_t frames, float) override {
        if (streams.insert(stream).second)
            ++tracks;
        if (frames < blockFrames)
            ++ended;
        if (stopped.load())
            ++heardAfterStop;
    }
    std::set<AudioHandle> streams;
    std::atomic<int> tracks{0};
    std::atomic<int> ended{0};
    std::atomic<int> heardAfterStop{0};
    std::atomic<bool> stopped{false};
};
} // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("emberhall-track-end-race-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "fire_data");
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        writeTrack(dir / name);
    writeTrack(dir / "fire_data" / "fire.wav");
    std::FILE* list = std::fopen((dir / "fire_data" / "pls.txt").c_str(), "w");
    std::fprintf(list, "%s\n%s\n%s\n", (dir / "a.wav").c_str(), (dir / "b.wav").c_str(),
                 (dir / "c.wav").c_str());
    std::fclose(list);
    useDataFiles(DataFiles{{dir.c_str()}});
    setSoundEffects(1);
    setMusicPlaylist(1);
    // No device of the library's own: the thread below pulls the mix as a sound card would.
    audioUsePlatform(AudioPlatform{});
    openAudio(currentSettings());

    Listener listener;
    std::atomic<bool> done{false};
    std::thread device([&] {
        std::vector<float> block(2 * blockFrames);
        while (!done.load())
            audioMixFrames(block.data(), blockFrames, &listener);
    });

    std::mt19937 random(12345);
    const auto start = std::chrono::steady_clock::now();
    int failures = 0, ran = 0, overlapped = 0;
    for (; overlapped < overlapsWanted && std::chrono::steady_clock::now() - start < longestRun;
         ++ran) {
        listener.stopped = false;
        const int endedBefore = listener.ended.load();
        const uint32_t fireStream = startFireSound(currentSettings());
        startMusic(currentSettings());
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 1000);
        while (std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        stopAudio(fireStream);
        listener.stopped = true;
        // A track ended before the stop: its notification ran beside the stop, or before it.
        if (listener.ended.load() > endedBefore)
            ++overlapped;
        if (currentStream() != 0 || playlistCreated() || !currentTrackName().empty()) {
            std::fprintf(stderr, "cycle %d: music state left after stopAudio\n", ran);
            ++failures;
        }
    }
    // Give a stray notification time to show itself.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    done = true;
    device.join();
    if (listener.heardAfterStop.load() != 0) {
        std::fprintf(stderr, "%d blocks heard after the sound was stopped\n",
                     listener.heardAfterStop.load());
        ++failures;
    }
    std::printf("%d start/stop cycles, %d with a track end before the stop, %d tracks heard\n", ran,
                overlapped, listener.tracks.load());
    if (overlapped < overlapsNeeded) {
        std::fprintf(stderr, "too few cycles saw a track end: the race was not exercised\n");
        ++failures;
    }
    resetSoundForTesting();
    std::filesystem::remove_all(dir);
    std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
