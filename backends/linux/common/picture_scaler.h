#pragma once
// The picture stretched to a window of any size, nearest neighbour (as on Windows), and turned
// into the pixel layout of the window's visual.
#include <cstddef>
#include <cstdint>
#include <vector>

// Where red, green and blue go in a 32-bit pixel of the visual; bits outside the three masks
// are set (an alpha channel, on a 32-bit visual, must say opaque).
struct PixelLayout {
    uint32_t redMask = 0x00FF0000;
    uint32_t greenMask = 0x0000FF00;
    uint32_t blueMask = 0x000000FF;
    uint32_t otherBits = 0; // set in every pixel
};

class PictureScaler {
  public:
    // The source picture is sourceWidth x sourceHeight; the target targetWidth x targetHeight.
    void configure(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                   const PixelLayout& layout);
    // Writes the whole target, rows `targetStride` pixels apart, from a source of
    // 0x00RRGGBB pixels with a row stride of its width.
    void scale(const uint32_t* source, uint32_t* target, std::size_t targetStride) const;

  private:
    int sourceWidth_ = 0;
    int targetWidth_ = 0;
    int targetHeight_ = 0;
    PixelLayout layout_;
    bool plain_ = true; // the visual's layout is 0x00RRGGBB already
    int shifts_[3] = {};
    uint32_t masks_[3] = {};
    std::vector<uint32_t> columns_; // source column of each target column
    std::vector<uint32_t> rows_;    // source row of each target row
};
