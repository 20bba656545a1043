// Plays sound files through linuxAudioPlatform(), as the saver would, for the sound test of
// this folder (sound_test.sh records what is heard and measures it).
//
//   sound_probe [--frames N] [--volume V] [--loop] [--seconds S] FILE...
//
// Opens the device at 44100 Hz and plays the files one after another, each once (or the first
// one looping with --loop), until S seconds have passed (default 3); then frees the streams and
// keeps the device open one second more, so the moment the sound stops can be heard. Prints
//   driver NAME             the SDL driver in use
//   signals default|taken   whether SIGINT and SIGTERM are as they were before the device opened
//   started FILE            as each file begins
//   stopped EPOCH           the wall-clock time at which the streams were freed
// Exit code 0; 2 when there is no device (the library stays silent, as it must), 1 on a bad
// command line or a file that cannot be played.
#include <csignal>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_library.h"
#include "linux/sound/linux_audio.h"

namespace {
std::atomic<bool> trackEnded{false};

void onEnd(AudioHandle, AudioHandle, uint32_t, void*) {
    trackEnded = true;
}

double wallClock() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

int usage() {
    std::fprintf(stderr, "usage: sound_probe [--frames N] [--volume V] [--loop] [--seconds S] "
                         "FILE...\n");
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    int frames = sdlDeviceFrames;
    float volume = 1.0f;
    bool loop = false;
    double seconds = 3.0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--loop") {
            loop = true;
        } else if ((arg == "--frames" || arg == "--volume" || arg == "--seconds") && i + 1 < argc) {
            const char* value = argv[++i];
            if (arg == "--frames")
                frames = std::atoi(value);
            else if (arg == "--volume")
                volume = std::strtof(value, nullptr);
            else
                seconds = std::strtod(value, nullptr);
        } else if (arg.starts_with("--")) {
            return usage();
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty() || frames <= 0 || frames > 32768)
        return usage();

    prepareSoundEnvironment();
    AudioPlatform platform = linuxAudioPlatform();
    static int chosenFrames;
    chosenFrames = frames;
    platform.openDevice = [](uint32_t rate) {
        return openSdlAudioDevice(rate, sdlLibraryName, uint16_t(chosenFrames));
    };
    audioUsePlatform(platform);
    struct sigaction termBefore {
    }, interruptBefore{};
    sigaction(SIGTERM, nullptr, &termBefore);
    sigaction(SIGINT, nullptr, &interruptBefore);
    if (!audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr)) {
        std::printf("no device\n");
        return 2;
    }
    std::printf("driver %s\n", sdlAudioDriver().c_str());
    // SDL's audio brings up its event subsystem, which takes SIGINT and SIGTERM unless told not
    // to; the saver's own handlers must be the ones that end it. (A shell may have set them to
    // be ignored before the probe started: what counts is that opening the device left them.)
    struct sigaction term {
    }, interrupt{};
    sigaction(SIGTERM, nullptr, &term);
    sigaction(SIGINT, nullptr, &interrupt);
    const bool untouched = term.sa_handler == termBefore.sa_handler &&
                           interrupt.sa_handler == interruptBefore.sa_handler;
    std::printf("signals %s\n", untouched ? "default" : "taken");
    std::fflush(stdout);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    AudioHandle stream = 0;
    for (std::size_t next = 0; std::chrono::steady_clock::now() < deadline;) {
        if (stream == 0 || trackEnded.exchange(false)) {
            if (stream != 0)
                audioStreamFree(stream);
            const std::string& file = files[next++ % files.size()];
            stream = audioStreamCreateFile(false, file.c_str(), 0, 0, loop ? audioStreamLoop : 0);
            if (stream == 0) {
                std::fprintf(stderr, "sound_probe: %s cannot be played\n", file.c_str());
                return 1;
            }
            audioChannelSetAttribute(stream, audioAttribVolume, volume);
            audioChannelSetSync(stream, audioSyncEnd, 0, onEnd, nullptr);
            audioChannelPlay(stream, false);
            std::printf("started %s\n", file.c_str());
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    audioStreamFree(stream);
    std::printf("stopped %.6f\n", wallClock());
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    audioFree();
    return 0;
}
