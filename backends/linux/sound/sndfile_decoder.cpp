#include "linux/sound/sndfile_decoder.h"

#include <sndfile.h>

#include <algorithm>

namespace {
class SndfileDecoder : public AudioDecoder {
  public:
    SndfileDecoder(SNDFILE* file, const SF_INFO& info) : file_(file), info_(info) {}
    ~SndfileDecoder() override { sf_close(file_); }
    SndfileDecoder(const SndfileDecoder&) = delete;
    SndfileDecoder& operator=(const SndfileDecoder&) = delete;

    int channels() const override { return info_.channels; }
    uint32_t rate() const override { return uint32_t(info_.samplerate); }
    std::size_t read(float* out, std::size_t frames) override {
        const sf_count_t got = sf_readf_float(file_, out, sf_count_t(frames));
        return got > 0 ? std::size_t(got) : 0;
    }
    bool rewind() override { return sf_seek(file_, 0, SEEK_SET) == 0; }
    bool seek(uint64_t frame) override {
        const sf_count_t to = info_.frames > 0 ? std::min(sf_count_t(frame), info_.frames) : sf_count_t(frame);
        return sf_seek(file_, to, SEEK_SET) >= 0;
    }

  private:
    SNDFILE* file_;
    SF_INFO info_;
};
} // namespace

std::unique_ptr<AudioDecoder> openSndfileDecoder(const char* path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file)
        return nullptr;
    if (info.channels < 1 || info.samplerate <= 0) {
        sf_close(file);
        return nullptr;
    }
    // Samples scaled to -1..1 whatever the file's coding.
    sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    return std::make_unique<SndfileDecoder>(file, info);
}
