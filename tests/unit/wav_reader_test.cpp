#include <gtest/gtest.h>

#include "audio/wav_reader.h"
#include "audio_test_support.h"

#include "test_support.h"

namespace {
WavParse parse(const std::vector<uint8_t>& bytes) {
    return parseWavHeader(bytes, bytes.size());
}

std::vector<float> decodeAll(const std::vector<uint8_t>& bytes) {
    const WavParse header = parse(bytes);
    std::vector<float> out(header.format.frames() * header.format.channels);
    convertWavSamples(bytes.data() + header.format.dataOffset, header.format.frames(),
                      header.format, out.data());
    return out;
}
} // namespace

TEST(WavHeader, readsEachPcmLayout) {
    struct Case {
        uint32_t rate;
        uint16_t channels, bits;
    };
    for (const Case c :
         {Case{44100, 1, 16}, Case{44100, 2, 16}, Case{22050, 1, 8}, Case{8000, 2, 8},
          Case{11025, 1, 16}, Case{48000, 2, 16}, Case{7919, 1, 16}}) {
        const auto bytes = wavImage(c.rate, c.channels, c.bits, std::vector<int>(12 * c.channels));
        const WavParse header = parse(bytes);
        ASSERT_EQ(header.result, WavHeader::ok) << c.rate << " " << c.channels << " " << c.bits;
        EXPECT_EQ(header.format.rate, c.rate);
        EXPECT_EQ(header.format.channels, c.channels);
        EXPECT_EQ(header.format.bitsPerSample, c.bits);
        EXPECT_EQ(header.format.dataOffset, 44u);
        EXPECT_EQ(header.format.frames(), 12u);
    }
}

TEST(WavHeader, convertsSamplesToUnitRange) {
    const auto sixteen = decodeAll(wavImage(44100, 2, 16, {0, 16384, -32768, 32767}));
    EXPECT_EQ(sixteen, (std::vector<float>{0.0f, 0.5f, -1.0f, 32767.0f / 32768.0f}));
    // 8-bit samples are unsigned around 128.
    const auto eight = decodeAll(wavImage(8000, 1, 8, {128, 0, 192, 255}));
    EXPECT_EQ(eight, (std::vector<float>{0.0f, -1.0f, 0.5f, 127.0f / 128.0f}));
}

TEST(WavHeader, skipsOtherChunksAndTheirPadding) {
    auto bytes = wavImage(44100, 1, 16, {1, 2, 3});
    // An odd-sized LIST chunk (padded to even) between "fmt " and "data".
    const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 36, list.begin(), list.end());
    const WavParse header = parse(bytes);
    ASSERT_EQ(header.result, WavHeader::ok);
    EXPECT_EQ(header.format.dataOffset, 56u);
    EXPECT_EQ(header.format.frames(), 3u);
}

TEST(WavHeader, cutsTruncatedSamplesToWholeFrames) {
    auto bytes = wavImage(44100, 2, 16, std::vector<int>(40));
    bytes.resize(bytes.size() - 7); // 80 data bytes, 73 left: 18 whole frames and a piece
    const WavParse header = parse(bytes);
    ASSERT_EQ(header.result, WavHeader::ok);
    EXPECT_EQ(header.format.frames(), 18u);
}

TEST(WavHeader, rejectsBrokenHeaders) {
    const auto good = wavImage(44100, 1, 16, {1, 2, 3, 4});
    EXPECT_EQ(parse({}).result, WavHeader::notWav);
    EXPECT_EQ(parse({good.begin(), good.begin() + 8}).result, WavHeader::notWav);
    auto notWave = good;
    notWave[8] = 'A';
    EXPECT_EQ(parse(notWave).result, WavHeader::notWav);
    // Header cut inside the "fmt " chunk, and cut before any "data" chunk.
    EXPECT_EQ(parse({good.begin(), good.begin() + 30}).result, WavHeader::broken);
    EXPECT_EQ(parse({good.begin(), good.begin() + 36}).result, WavHeader::broken);
    auto noChannels = good;
    noChannels[22] = 0;
    EXPECT_EQ(parse(noChannels).result, WavHeader::broken);
    auto badAlign = good;
    badAlign[32] = 3;
    EXPECT_EQ(parse(badAlign).result, WavHeader::broken);
    auto shortFormat = good;
    shortFormat[16] = 8; // a "fmt " chunk of 8 bytes cannot describe the samples
    EXPECT_EQ(parse(shortFormat).result, WavHeader::broken);
    auto hugeChunk = good;
    hugeChunk[16] = 0xFF, hugeChunk[17] = 0xFF, hugeChunk[18] = 0xFF, hugeChunk[19] = 0xFF;
    EXPECT_EQ(parse(hugeChunk).result, WavHeader::broken);
}

TEST(WavHeader, leavesOtherCodingsToTheSystem) {
    auto floatSamples = wavImage(44100, 1, 16, {1, 2});
    floatSamples[20] = 3; // IEEE float
    EXPECT_EQ(parse(floatSamples).result, WavHeader::unsupported);
    const auto deep = wavImage(44100, 1, 24, {1, 2});
    EXPECT_EQ(parse(deep).result, WavHeader::unsupported);
    const auto surround = wavImage(44100, 6, 16, std::vector<int>(12));
    EXPECT_EQ(parse(surround).result, WavHeader::unsupported);
}

TEST(WavDecoder, readsRewindsAndRejectsWhatItCannotRead) {
    const TempDirectory temp;
    const auto dir = temp.path();
    writeFile(dir / "ok.wav", wavImage(22050, 1, 16, {100, 200, 300}));
    writeText(dir / "text.wav", "not a sound at all");
    auto decoder = openWavDecoder((dir / "ok.wav").c_str());
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->rate(), 22050u);
    float out[8] = {};
    EXPECT_EQ(decoder->read(out, 8), 3u);
    EXPECT_EQ(out[2], 300.0f / 32768.0f);
    EXPECT_EQ(decoder->read(out, 8), 0u);
    ASSERT_TRUE(decoder->rewind());
    EXPECT_EQ(decoder->read(out, 2), 2u);
    EXPECT_EQ(out[0], 100.0f / 32768.0f);
    EXPECT_EQ(openWavDecoder((dir / "text.wav").c_str()), nullptr);
    EXPECT_EQ(openWavDecoder((dir / "missing.wav").c_str()), nullptr);
}
