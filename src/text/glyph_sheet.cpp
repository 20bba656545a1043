// The glyph sheet: a TGA image holding rows of square letter cells, the first from 'A' on, and
// the list of the characters in the further rows. Only what the saver needs of the format is read:
// the image type's "true colour" bit, the size, the depth and the 32-bit pixels, which are always
// taken as stored bottom row first.
#include "text/glyph_sheet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>

#include "seams/data_files.h"
#include "text/text_decoding.h"

namespace {

// Rows 0 to 4 of the frame are never written by a glyph.
constexpr int32_t topRowsKept = 5;
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
// A character list longer than this is not one (the whole of Unicode would fit in 4 MB).
constexpr size_t characterListLimit = size_t(4) * 1024 * 1024;

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

int32_t GlyphSheet::load(const char* path, int32_t glyphSize) {
    UniqueFile file = openDataFile(path, "rb");
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

    width_ = width;
    height_ = height;
    glyphSize_ = glyphSize;
    // A sheet of another depth is kept blank: its letters are transparent, yet the messages
    // still lay out, burst and time as usual.
    if (header[depthOffset] != requiredDepth) {
        pixels_ = std::move(pixels);
        return -2;
    }
    readPixels(file.get(), width, height, pixels.data());
    pixels_ = std::move(pixels);
    listedCells_.clear();
    readCharacterList(characterListPath(path));
    return 1;
}

std::string GlyphSheet::characterListPath(const std::string& sheetPath) {
    const size_t slash = sheetPath.find_last_of("/\\");
    const size_t dot = sheetPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? sheetPath.substr(0, dot) : sheetPath) + ".txt";
}

void GlyphSheet::readCharacterList(const std::string& path) {
    UniqueFile file = openDataFile(path.c_str(), "rb");
    if (!file || glyphSize_ <= 0)
        return;
    std::string bytes(characterListLimit, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (bytes.starts_with(byteOrderMark))
        bytes.erase(0, byteOrderMark.size());
    const int32_t columns = width_ / glyphSize_;
    const int32_t rows = height_ / glyphSize_;
    int32_t row = 1;
    for (size_t start = 0; start <= bytes.size() && row < rows; ++row) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::u32string characters = decodeText(line);
        for (int32_t column = 0; column < columns && size_t(column) < characters.size(); ++column) {
            // The first place a character has is its place: the classic strip, then row order.
            if (characters[size_t(column)] != U' ' && cellOf(characters[size_t(column)]) < 0)
                listedCells_.emplace(characters[size_t(column)], row * columns + column);
        }
        start = end + 1;
    }
}

int32_t GlyphSheet::cellOf(char32_t character) const {
    if (pixels_.empty() || glyphSize_ <= 0)
        return -1;
    if (character >= U'A' && character - U'A' < char32_t(width_ / glyphSize_))
        return int32_t(character - U'A');
    const auto listed = listedCells_.find(character);
    return listed == listedCells_.end() ? -1 : listed->second;
}

bool GlyphSheet::drawGlyph(int32_t x, int32_t y, char32_t character, uint32_t* frame,
                           int32_t frameWidth, int32_t frameHeight) const {
    // No sheet, or no cell for this character in it: nothing to draw.
    const int32_t cell = cellOf(character);
    if (cell < 0)
        return false;
    const int32_t columns = width_ / glyphSize_;
    const int64_t cellTop = int64_t(cell / columns) * glyphSize_;
    const int64_t cellStart = cellTop * width_ + int64_t(cell % columns) * glyphSize_;
    // A sheet lower than the glyph size has nothing below its last row: those rows stay clear.
    const int64_t rows = std::min<int64_t>(glyphSize_, height_ - cellTop);
    drawGlyphPixels(pixels_.data() + cellStart, width_, glyphSize_, rows, x, y, frame, frameWidth,
                    frameHeight);
    return true;
}

void drawGlyphPixels(const uint32_t* cell, int64_t stride, int32_t size, int64_t rows, int32_t x,
                     int32_t y, uint32_t* frame, int32_t frameWidth, int32_t frameHeight) {
    if (!frame)
        return;
    const int64_t firstRow = std::max<int64_t>(0, int64_t(topRowsKept) - y);
    const int64_t endRow = std::min<int64_t>(rows, int64_t(frameHeight) - y);
    const int64_t firstColumn = std::max<int64_t>(0, -int64_t(x));
    const int64_t endColumn = std::min<int64_t>(size, int64_t(frameWidth) - x);

    for (int64_t i = firstRow; i < endRow; ++i) {
        const uint32_t* source = cell + i * stride;
        const int64_t targetRow = (y + i) * frameWidth + x;
        for (int64_t j = firstColumn; j < endColumn; ++j) {
            // Black is the transparent colour.
            if (source[j] != 0)
                frame[targetRow + j] = source[j];
        }
    }
}
