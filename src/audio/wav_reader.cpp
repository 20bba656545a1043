#include "audio/wav_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/unique_file.h"

namespace {
// Every chunk before the samples must lie within this many bytes of the start of the file.
constexpr std::size_t headLimit = 64 * 1024;
constexpr std::size_t readBlockFrames = 4096;
constexpr uint16_t formatPcm = 1;
constexpr uint16_t formatExtensible = 0xFFFE;
constexpr uint32_t highestRate = 384000;

uint16_t le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
}
bool tagIs(const uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

// Reads the "fmt " chunk body; the result tells whether we can play what it describes.
WavHeader readFormat(const uint8_t* body, uint32_t size, WavFormat& format) {
    if (size < 16)
        return WavHeader::broken;
    uint16_t tag = le16(body);
    format.channels = le16(body + 2);
    format.rate = le32(body + 4);
    const uint16_t blockAlign = le16(body + 12);
    format.bitsPerSample = le16(body + 14);
    if (tag == formatExtensible) {
        // The sub-format GUID starts with the plain format tag.
        if (size < 40)
            return WavHeader::broken;
        tag = le16(body + 24);
    }
    if (format.channels == 0 || format.rate == 0 || format.bitsPerSample == 0)
        return WavHeader::broken;
    if (tag != formatPcm || (format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
        format.channels > 2 || format.rate > highestRate)
        return WavHeader::unsupported;
    if (blockAlign != format.blockAlign())
        return WavHeader::broken;
    return WavHeader::ok;
}
} // namespace

WavParse parseWavHeader(std::span<const uint8_t> head, uint64_t fileSize) {
    WavParse parse;
    if (head.size() < 12 || !tagIs(head.data(), "RIFF") || !tagIs(head.data() + 8, "WAVE"))
        return parse; // notWav
    bool haveFormat = false;
    std::size_t at = 12;
    while (true) {
        if (at + 8 > head.size()) {
            parse.result = WavHeader::broken; // no samples before the end of the header
            return parse;
        }
        const uint8_t* chunk = head.data() + at;
        const uint32_t size = le32(chunk + 4);
        if (tagIs(chunk, "data")) {
            if (!haveFormat) {
                parse.result = WavHeader::broken;
                return parse;
            }
            parse.format.dataOffset = at + 8;
            const uint64_t present = fileSize > at + 8 ? fileSize - (at + 8) : 0;
            const uint64_t bytes = std::min<uint64_t>(size, present);
            parse.format.dataBytes = bytes - bytes % parse.format.blockAlign();
            parse.result = WavHeader::ok;
            return parse;
        }
        if (tagIs(chunk, "fmt ")) {
            if (at + 8 + size > head.size()) {
                parse.result = WavHeader::broken;
                return parse;
            }
            const WavHeader format = readFormat(chunk + 8, size, parse.format);
            if (format != WavHeader::ok) {
                parse.result = format;
                return parse;
            }
            haveFormat = true;
        }
        at += 8 + std::size_t(size) + (size & 1); // chunks are padded to an even length
    }
}

void convertWavSamples(const uint8_t* raw, std::size_t frames, const WavFormat& format,
                       float* out) {
    const std::size_t samples = frames * format.channels;
    if (format.bitsPerSample == 8) {
        for (std::size_t i = 0; i < samples; ++i)
            out[i] = (float(raw[i]) - 128.0f) / 128.0f;
        return;
    }
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = float(int16_t(le16(raw + 2 * i))) / 32768.0f;
}

namespace {
class WavDecoder : public AudioDecoder {
  public:
    WavDecoder(UniqueFile file, const WavFormat& format)
        : file_(std::move(file)), format_(format), raw_(readBlockFrames * format.blockAlign()) {}

    int channels() const override { return format_.channels; }
    uint32_t rate() const override { return format_.rate; }

    std::size_t read(float* out, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames && position_ < format_.frames()) {
            const std::size_t want = std::size_t(
                std::min<uint64_t>({frames - done, readBlockFrames, format_.frames() - position_}));
            const std::size_t got = std::fread(raw_.data(), format_.blockAlign(), want, file_.get());
            if (got == 0) {
                position_ = format_.frames(); // the file shrank under us: end here
                break;
            }
            convertWavSamples(raw_.data(), got, format_, out + done * format_.channels);
            done += got;
            position_ += got;
        }
        return done;
    }

    bool rewind() override { return seek(0); }

    bool seek(uint64_t frame) override {
        position_ = std::min(frame, format_.frames());
        return std::fseek(file_.get(), long(format_.dataOffset + position_ * format_.blockAlign()),
                          SEEK_SET) == 0;
    }

  private:
    UniqueFile file_;
    WavFormat format_;
    std::vector<uint8_t> raw_;
    uint64_t position_ = 0;
};

uint64_t fileSizeOf(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long size = std::ftell(file);
    return size > 0 ? uint64_t(size) : 0;
}
} // namespace

std::unique_ptr<AudioDecoder> openWavDecoder(const char* path) {
    UniqueFile file = openFile(path, "rb");
    if (!file)
        return nullptr;
    const uint64_t size = fileSizeOf(file.get());
    std::vector<uint8_t> head(std::size_t(std::min<uint64_t>(size, headLimit)));
    std::rewind(file.get());
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    const WavParse parse = parseWavHeader(std::span(head.data(), got), size);
    if (parse.result != WavHeader::ok ||
        std::fseek(file.get(), long(parse.format.dataOffset), SEEK_SET) != 0)
        return nullptr;
    return std::make_unique<WavDecoder>(std::move(file), parse.format);
}
