// The glyph sheet: a TGA image holding a strip of square letter cells from 'A' on. Only what the
// saver needs of the format is read: the image type's "true colour" bit, the size, the depth and
// the 32-bit pixels, which are always taken as stored bottom row first.
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "fire/fire_engine.h"

namespace {

constexpr long pixelDataOffset = 18;
constexpr size_t headerBytesNeeded = 17; // up to and including the depth byte
constexpr size_t imageTypeOffset = 2;
constexpr uint8_t trueColourBit = 2;
constexpr size_t widthOffset = 12;
constexpr size_t heightOffset = 14;
constexpr size_t depthOffset = 16;
constexpr uint8_t requiredDepth = 32;
// A sheet is one row of letter cells; even 65535 columns of 256-pixel cells stay below this.
// Anything larger is a broken header, not a font, and is refused rather than allocated.
constexpr size_t maxSheetPixels = size_t(16) * 1024 * 1024;
// Bytes the file does not have read as 0xFF, so missing pixels come out opaque white.
constexpr uint8_t missingByte = 0xFF;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

uint32_t readLittle16(const std::array<uint8_t, headerBytesNeeded>& header, size_t offset) {
    return uint32_t(header[offset]) | uint32_t(header[offset + 1]) << 8;
}

// Fills `pixels` (top row first) from the stored rows, bottom row first, 4 bytes a pixel in the
// order blue, green, red, alpha; the alpha byte is dropped.
void readPixels(std::FILE* file, int32_t width, int32_t height, uint32_t* pixels) {
    std::vector<uint8_t> row(size_t(width) * 4);
    std::fseek(file, pixelDataOffset, SEEK_SET);
    for (int32_t stored = 0; stored < height; ++stored) {
        const size_t got = std::fread(row.data(), 1, row.size(), file);
        std::fill(row.begin() + std::ptrdiff_t(got), row.end(), missingByte);
        uint32_t* out = pixels + size_t(height - 1 - stored) * size_t(width);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row.data() + size_t(x) * 4;
            out[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[0]);
        }
    }
}

} // namespace

int32_t FireEngine::loadFont(const char* path, int32_t glyphSize) {
    std::unique_ptr<std::FILE, FileCloser> file(path ? std::fopen(path, "rb") : nullptr);
    if (!file)
        return -1;

    // A header that ends before the depth byte cannot say what it holds: refused like a wrong
    // image type, with nothing changed.
    std::array<uint8_t, headerBytesNeeded> header{};
    if (std::fread(header.data(), 1, header.size(), file.get()) != header.size())
        return -2;
    if ((header[imageTypeOffset] & trueColourBit) == 0)
        return -2;

    const int32_t width = int32_t(readLittle16(header, widthOffset));
    const int32_t height = int32_t(readLittle16(header, heightOffset));
    const size_t pixelCount = size_t(width) * size_t(height);
    if (pixelCount > maxSheetPixels)
        return -2;
    std::vector<uint32_t> pixels;
    try {
        pixels.assign(pixelCount, 0);
    } catch (const std::bad_alloc&) {
        return -2;
    }

    fontWidth_ = width;
    fontHeight_ = height;
    glyphSize_ = glyphSize;
    // A sheet of another depth is kept blank: its letters are transparent, yet the messages
    // still lay out, burst and time as usual.
    if (header[depthOffset] != requiredDepth) {
        fontPixels_ = std::move(pixels);
        return -2;
    }
    readPixels(file.get(), width, height, pixels.data());
    fontPixels_ = std::move(pixels);
    return 1;
}
