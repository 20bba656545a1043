#include "linux/common/picture_scaler.h"

#include <algorithm>
#include <cstring>

namespace {
// Nearest neighbour: the source cell under the middle of each target cell.
std::vector<uint32_t> nearest(int source, int target) {
    std::vector<uint32_t> map(std::size_t(std::max(target, 0)));
    for (int i = 0; i < target; ++i)
        map[std::size_t(i)] = uint32_t((2 * int64_t(i) + 1) * source / (2 * int64_t(target)));
    return map;
}

// The shift that puts the top bit of an 8-bit channel at the top bit of `mask`.
int shiftFor(uint32_t mask) {
    if (mask == 0)
        return 0;
    int top = 31;
    while (!(mask & (1u << top)))
        --top;
    return top - 7;
}
} // namespace

void PictureScaler::configure(int sourceWidth, int sourceHeight, int targetWidth,
                              int targetHeight, const PixelLayout& layout) {
    sourceWidth_ = sourceWidth;
    targetWidth_ = std::max(targetWidth, 0);
    targetHeight_ = std::max(targetHeight, 0);
    layout_ = layout;
    plain_ = layout.redMask == 0x00FF0000 && layout.greenMask == 0x0000FF00 &&
             layout.blueMask == 0x000000FF;
    masks_[0] = layout.redMask;
    masks_[1] = layout.greenMask;
    masks_[2] = layout.blueMask;
    for (int c = 0; c < 3; ++c)
        shifts_[c] = shiftFor(masks_[c]);
    columns_ = nearest(sourceWidth, targetWidth_);
    rows_ = nearest(sourceHeight, targetHeight_);
}

void PictureScaler::scale(const uint32_t* source, uint32_t* target,
                          std::size_t targetStride) const {
    const std::size_t width = std::size_t(targetWidth_);
    const bool sameWidth = targetWidth_ == sourceWidth_;
    for (int y = 0; y < targetHeight_; ++y) {
        uint32_t* out = target + std::size_t(y) * targetStride;
        // Rows that repeat the source row of the row above are copies of it.
        if (y > 0 && rows_[std::size_t(y)] == rows_[std::size_t(y) - 1]) {
            std::memcpy(out, out - targetStride, width * sizeof(uint32_t));
            continue;
        }
        const uint32_t* in = source + std::size_t(rows_[std::size_t(y)]) * std::size_t(sourceWidth_);
        if (plain_ && sameWidth && layout_.otherBits == 0) {
            std::memcpy(out, in, width * sizeof(uint32_t));
        } else if (plain_ && sameWidth) {
            std::transform(in, in + width, out, [this](uint32_t p) { return p | layout_.otherBits; });
        } else if (plain_) {
            const uint32_t other = layout_.otherBits;
            for (std::size_t x = 0; x < width; ++x)
                out[x] = in[columns_[x]] | other;
        } else {
            // Another channel order: each channel moved to its place, with the shifts held in
            // registers for the row.
            const uint32_t* columns = columns_.data();
            const int r = shifts_[0], g = shifts_[1], b = shifts_[2];
            const uint32_t rm = masks_[0], gm = masks_[1], bm = masks_[2], other = layout_.otherBits;
            auto place = [](uint32_t channel, int shift, uint32_t mask) {
                return (shift >= 0 ? channel << shift : channel >> -shift) & mask;
            };
            for (std::size_t x = 0; x < width; ++x) {
                const uint32_t p = in[columns[x]];
                out[x] = other | place((p >> 16) & 0xFF, r, rm) | place((p >> 8) & 0xFF, g, gm) |
                         place(p & 0xFF, b, bm);
            }
        }
    }
}
