// What the audio thread costs during playback: the time to mix one second of output (44100
// frames, in the 512-frame buffers the Windows output asks for). The fire loop alone decodes
// our own WAV at the output rate; with music a 22050 Hz track is resampled on top. Divide the
// time per iteration by one second for the share of one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "seams/audio_platform.h"
#include "audio/audio_mixing.h"
#include "audio/audio_library.h"

namespace {
constexpr std::size_t bufferFrames = 512;
constexpr std::size_t secondFrames = 44100;
const std::string fireSound = EMBERHALL_SOURCE_DIR "/data/fire_data/fire.wav";

std::string writeMusicTrack() {
    const auto path = std::filesystem::temp_directory_path() / "emberhall-bench-track.wav";
    constexpr uint32_t rate = 22050, frames = 10 * rate;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            std::fputc(int(value >> (8 * i) & 0xFF), file);
    };
    std::fputs("RIFF", file);
    put(36 + frames * 4, 4);
    std::fputs("WAVEfmt ", file);
    put(16, 4), put(1, 2), put(2, 2), put(rate, 4), put(rate * 4, 4), put(4, 2), put(16, 2);
    std::fputs("data", file);
    put(frames * 4, 4);
    for (uint32_t i = 0; i < 2 * frames; ++i)
        put(uint32_t(int32_t(8000 * std::sin(i * 0.05))), 2);
    std::fclose(file);
    return path.string();
}

void mixOneSecond(benchmark::State& state, bool withMusic) {
    audioUsePlatform(AudioPlatform{}); // the benchmark pulls the mix itself
    audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr);
    const AudioHandle fire = audioStreamCreateFile(false, fireSound.c_str(), 0, 0, audioStreamLoop);
    audioChannelSetAttribute(fire, audioAttribVolume, 0.5f);
    audioChannelPlay(fire, false);
    AudioHandle music = 0;
    if (withMusic) {
        const std::string track = writeMusicTrack();
        music = audioStreamCreateFile(false, track.c_str(), 0, 0, audioStreamLoop);
        audioChannelPlay(music, false);
    }
    std::vector<float> buffer(2 * bufferFrames);
    for (auto _ : state) {
        for (std::size_t done = 0; done < secondFrames; done += bufferFrames)
            audioMixFrames(buffer.data(), bufferFrames);
        benchmark::DoNotOptimize(buffer.data());
    }
    audioFree();
}
} // namespace

BENCHMARK_CAPTURE(mixOneSecond, fireLoop, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mixOneSecond, fireLoopAndMusic, true)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
