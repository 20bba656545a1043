#pragma once
// Pictures in shared memory for the compositor to read. A new picture goes into a frame the
// compositor no longer holds (it says so with a release). One frame may be shown on several
// outputs at once, and each output holds the frame it shows until the next one replaces it
// there; outputs that refresh at different times, or one that stopped refreshing, may each hold
// a different frame, so frames are made as needed, up to a number the owner chooses.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct wl_shm;
struct wl_buffer;

// The largest side of a frame: 16384 pixels keep a frame's bytes (at most 1 GiB) and its rows
// within the protocol's 32-bit sizes. Larger outputs exist only in a compositor's imagination.
constexpr int largestFrameSide = 16384;
static_assert(int64_t(largestFrameSide) * largestFrameSide * 4 <= INT32_MAX,
              "a frame's bytes must fit wl_shm_pool's 32-bit size");
constexpr bool frameSizeFits(int width, int height) {
    return width > 0 && height > 0 && width <= largestFrameSide && height <= largestFrameSide;
}

struct ShmFrame {
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr; // width x height pixels 0x00RRGGBB, rows of exactly the width
    std::size_t bytes = 0;
    bool busy = false; // held by the compositor

    ShmFrame() = default;
    ~ShmFrame();
    ShmFrame(const ShmFrame&) = delete;
    ShmFrame& operator=(const ShmFrame&) = delete;
};

// One frame of width x height, black; null when no shared memory can be had (or frameSizeFits
// does not hold).
std::unique_ptr<ShmFrame> makeShmFrame(wl_shm* shm, int width, int height);

class ShmFrames {
  public:
    // Frames of width x height (frameSizeFits must hold).
    ShmFrames(wl_shm* shm, int width, int height) : shm_(shm), width_(width), height_(height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    // A frame the compositor does not hold, made when there is none and fewer than `most`
    // frames exist; null otherwise (or when no shared memory can be had).
    ShmFrame* free(std::size_t most);

  private:
    wl_shm* shm_;
    int width_;
    int height_;
    std::vector<std::unique_ptr<ShmFrame>> frames_;
};
