// The audio library's WAV reading, any bytes at all: the header parser, the decoder that reads
// the samples (to the end, back to the start, and again), and the mixer that resamples a
// stream of the file to the output rate. A header we accept must describe whole frames inside
// the file, the decoder must give exactly those frames, every sample within -1 to 1.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "testing/capture_audio_device.h"
#include "seams/audio_platform.h"
#include "audio/audio_mixing.h"
#include "audio/audio_library.h"
#include "audio/wav_reader.h"
#include "fuzz_support.h"

namespace {
constexpr std::size_t readFrames = 300;
constexpr std::size_t mixFrames = 512;
constexpr int mixBlocks = 3;

void checkHeader(const WavParse& parse, uint64_t fileSize) {
    if (parse.result != WavHeader::ok)
        return;
    const WavFormat& f = parse.format;
    fuzzCheck(f.channels == 1 || f.channels == 2, "accepted a channel count we cannot play");
    fuzzCheck(f.bitsPerSample == 8 || f.bitsPerSample == 16, "accepted a sample size we skip");
    fuzzCheck(f.rate > 0, "accepted a rate of 0");
    fuzzCheck(f.dataBytes % f.blockAlign() == 0, "the samples end inside a frame");
    fuzzCheck(f.dataOffset + f.dataBytes <= fileSize, "the samples reach past the file");
}

// Reads the decoder to its end; returns every sample read.
std::vector<float> readAll(AudioDecoder& decoder) {
    std::vector<float> samples;
    std::vector<float> block(readFrames * std::size_t(decoder.channels()));
    while (const std::size_t got = decoder.read(block.data(), readFrames)) {
        fuzzCheck(got <= readFrames, "the decoder gave more frames than asked for");
        samples.insert(samples.end(), block.begin(),
                       block.begin() + std::ptrdiff_t(got) * decoder.channels());
    }
    return samples;
}

void checkDecoder(const char* path, const WavParse& parse) {
    auto decoder = openWavDecoder(path);
    fuzzCheck((decoder != nullptr) == (parse.result == WavHeader::ok),
              "the decoder and the header parser disagree");
    if (!decoder)
        return;
    const std::vector<float> first = readAll(*decoder);
    fuzzCheck(first.size() == parse.format.frames() * parse.format.channels,
              "the decoder did not give the frames the header describes");
    fuzzCheck(std::ranges::all_of(first, [](float s) { return s >= -1.0f && s <= 1.0f; }),
              "a sample outside -1 to 1");
    fuzzCheck(decoder->rewind(), "the decoder could not go back to the start");
    fuzzCheck(readAll(*decoder) == first, "the second reading differs from the first");
}

// The file as a stream of the library, looping, pulled through the mixer a few blocks.
void checkMixing(const char* path) {
    static const bool opened = [] {
        audioUsePlatform(AudioPlatform{}); // no sound card: the fuzzer pulls the mix
        audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr);
        return true;
    }();
    (void)opened;
    const AudioHandle stream = audioStreamCreateFile(false, path, 0, 0, audioStreamLoop);
    fuzzCheck(stream != 0, "the library refused a file the decoder reads");
    audioChannelPlay(stream, false);
    std::vector<float> mix(2 * mixFrames);
    for (int block = 0; block < mixBlocks; ++block) {
        audioMixFrames(mix.data(), mixFrames);
        fuzzCheck(std::ranges::all_of(mix, [](float s) { return std::abs(s) <= 1.0f; }),
                  "the mix of one stream at full volume left -1 to 1");
    }
    audioStreamFree(stream);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    // The file as it is, and as the head of a longer file.
    const WavParse parse = parseWavHeader(bytes, size);
    checkHeader(parse, size);
    checkHeader(parseWavHeader(bytes, uint64_t(size) * 2 + 7), uint64_t(size) * 2 + 7);

    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write("track.wav", data, size);
    const std::string path = scratch.path("track.wav");
    checkDecoder(path.c_str(), parse);
    // Files that are no WAV of ours go to the system's decoders, which are not ours to fuzz.
    if (parse.result == WavHeader::ok)
        checkMixing(path.c_str());
    return 0;
}
