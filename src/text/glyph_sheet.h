#pragma once
// The glyph sheet: one true-colour TGA image holding rows of square letter cells. Its first row
// is the classic strip, cell k for the character 'A' + k. Further rows hold the characters that
// a plain text beside the image lists, one line for each row after the first: "font.txt" beside
// "font.tga", in UTF-8, the n-th character of line r naming cell n of row r (a blank leaves its
// cell unused). A sheet without that list is a classic sheet. Black (0) is transparent; every
// other pixel is copied unchanged, however dark.
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

// Copies a glyph's cell (`size` pixels across, `rows` down, row stride `stride`) with its
// top-left corner at (x, y) into `frame`, as every glyph is drawn: only columns 0 ...
// frameWidth-1 and rows 5 ... frameHeight-1 are written, and only non-black pixels.
void drawGlyphPixels(const uint32_t* cell, int64_t stride, int32_t size, int64_t rows, int32_t x,
                     int32_t y, uint32_t* frame, int32_t frameWidth, int32_t frameHeight);

class GlyphSheet {
  public:
    // 1 loaded, -1 cannot open, -2 wrong image type or pixel depth (or a broken header). After
    // -2 from the depth test the sheet has its size and glyph size and every pixel is 0; after
    // -1 or any other -2 nothing is changed. The character list is read beside a sheet that
    // loaded.
    int32_t load(const char* path, int32_t glyphSize);

    // Copies the glyph of `character` with its top-left corner at (x, y) into `frame`
    // (frameWidth x frameHeight pixels, row stride frameWidth). Only columns 0 ... frameWidth-1
    // and rows 5 ... frameHeight-1 are written, and only the sheet's non-black pixels. Characters
    // without a cell (below 'A' and not listed, past the last cell, or with no sheet loaded) draw
    // nothing, and give false.
    bool drawGlyph(int32_t x, int32_t y, char32_t character, uint32_t* frame, int32_t frameWidth,
                   int32_t frameHeight) const;
    bool hasGlyph(char32_t character) const { return cellOf(character) >= 0; }

    // Until a sheet is loaded the glyph size is 50, which still steers the layout's line wrap.
    int32_t glyphSize() const { return glyphSize_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    std::span<const uint32_t> pixels() const { return pixels_; }
    bool loaded() const { return !pixels_.empty(); }

    // Where the character list of the sheet at `sheetPath` lies: the same name, ending ".txt".
    static std::string characterListPath(const std::string& sheetPath);

  private:
    // The cell index (row x cells a row + column) of `character`; -1 for none.
    int32_t cellOf(char32_t character) const;
    void readCharacterList(const std::string& path);

    int32_t glyphSize_ = 50;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint32_t> pixels_;                      // row-major, top row first, 0x00RRGGBB
    std::unordered_map<char32_t, int32_t> listedCells_; // of the rows after the first
};
