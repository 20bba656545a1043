#include "linux/sound/mpg123_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <mutex>

namespace {
class Mpg123Decoder : public AudioDecoder {
  public:
    Mpg123Decoder(mpg123_handle* handle, long rate, int channels)
        : handle_(handle), rate_(uint32_t(rate)), channels_(channels) {}
    ~Mpg123Decoder() override { mpg123_delete(handle_); }
    Mpg123Decoder(const Mpg123Decoder&) = delete;
    Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

    int channels() const override { return channels_; }
    uint32_t rate() const override { return rate_; }
    std::size_t read(float* out, std::size_t frames) override {
        const std::size_t frameBytes = sizeof(float) * std::size_t(channels_);
        unsigned char* to = reinterpret_cast<unsigned char*>(out);
        std::size_t done = 0;
        // A read can stop short (at a frame's end, or to announce a format it keeps to ours
        // anyway), so read until the request is filled or the file ends.
        while (done < frames * frameBytes) {
            std::size_t got = 0;
            const int result = mpg123_read(handle_, to + done, frames * frameBytes - done, &got);
            done += got;
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
                break;
            if (got == 0 && result == MPG123_OK)
                break;
        }
        return done / frameBytes;
    }
    bool rewind() override { return mpg123_seek(handle_, 0, SEEK_SET) >= 0; }
    // libmpg123 finds the frame from the headers it passes, without decoding them.
    bool seek(uint64_t frame) override {
        const off_t length = mpg123_length(handle_);
        const off_t to = length >= 0 ? std::min(off_t(frame), length) : off_t(frame);
        return mpg123_seek(handle_, to, SEEK_SET) >= 0;
    }

  private:
    mpg123_handle* handle_;
    uint32_t rate_;
    int channels_;
};
} // namespace

std::unique_ptr<AudioDecoder> openMpg123Decoder(const char* path) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); }); // needed by libmpg123 before 1.27
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return nullptr;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0) != MPG123_OK ||
        mpg123_open(handle, path) != MPG123_OK ||
        mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2 || encoding != MPG123_ENC_FLOAT_32) {
        mpg123_delete(handle); // closes the file too
        return nullptr;
    }
    // The format stays as found for the whole file.
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channels, MPG123_ENC_FLOAT_32);
    return std::make_unique<Mpg123Decoder>(handle, rate, channels);
}
