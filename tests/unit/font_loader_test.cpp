#include <gtest/gtest.h>

#include <algorithm>

#include "fire/fire_engine.h"
#include "text_test_support.h"

namespace {

// 2 x 3 pixels, each one different, top row first.
const std::vector<uint32_t> smallSheet = {0x102030, 0x405060, 0x708090,
                                          0xA0B0C0, 0xD0E0F0, 0x010203};

void expectUntouched(const FireEngine& engine) {
    EXPECT_FALSE(engine.fontLoaded());
    EXPECT_EQ(engine.fontWidth(), 0);
    EXPECT_EQ(engine.fontHeight(), 0);
    EXPECT_EQ(engine.glyphSize(), 50);
}

} // namespace

TEST(FontLoader, loadsEveryImageTypeWithTheTrueColourBit) {
    TempDir dir;
    for (const uint8_t type : {2, 3, 10, 11}) {
        SCOPED_TRACE(int(type));
        writeBytes(dir.file("font.tga"), tgaImage(type, 3, 2, smallSheet));
        FireEngine engine(64, 48, 640);
        ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), 1);
        EXPECT_EQ(engine.fontWidth(), 3);
        EXPECT_EQ(engine.fontHeight(), 2);
        EXPECT_EQ(engine.glyphSize(), 1);
        const auto pixels = engine.fontPixels();
        EXPECT_EQ(std::vector<uint32_t>(pixels.begin(), pixels.end()), smallSheet);
    }
}

TEST(FontLoader, refusesImageTypesWithoutTheTrueColourBit) {
    TempDir dir;
    for (const uint8_t type : {0, 1, 9}) {
        SCOPED_TRACE(int(type));
        writeBytes(dir.file("font.tga"), tgaImage(type, 3, 2, smallSheet));
        FireEngine engine(64, 48, 640);
        EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 7), -2);
        expectUntouched(engine);
    }
}

TEST(FontLoader, missingFileGivesMinusOneAndChangesNothing) {
    TempDir dir;
    FireEngine engine(64, 48, 640);
    EXPECT_EQ(engine.loadFont(dir.file("absent.tga").c_str(), 7), -1);
    EXPECT_EQ(engine.loadFont(nullptr, 7), -1);
    expectUntouched(engine);
}

TEST(FontLoader, otherDepthKeepsTheSizesAndABlankSheet) {
    TempDir dir;
    std::vector<uint8_t> bytes = tgaHeader(2, 3, 2, 24);
    bytes.insert(bytes.end(), 18, 0x7F);
    writeBytes(dir.file("font.tga"), bytes);
    FireEngine engine(64, 48, 640);
    EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 9), -2);
    EXPECT_EQ(engine.fontWidth(), 3);
    EXPECT_EQ(engine.fontHeight(), 2);
    EXPECT_EQ(engine.glyphSize(), 9);
    ASSERT_EQ(engine.fontPixels().size(), 6u);
    EXPECT_TRUE(std::ranges::all_of(engine.fontPixels(), [](uint32_t p) { return p == 0; }));
}

TEST(FontLoader, firstStoredRowBecomesTheLastSheetRow) {
    TempDir dir;
    std::vector<uint8_t> bytes = tgaHeader(2, 1, 3);
    // Stored rows, bottom first: blue 1, then 2, then 3.
    for (uint8_t b = 1; b <= 3; ++b)
        bytes.insert(bytes.end(), {b, 0, 0, 0});
    writeBytes(dir.file("font.tga"), bytes);
    FireEngine engine(64, 48, 640);
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), 1);
    EXPECT_EQ(engine.fontPixels()[0], 3u);
    EXPECT_EQ(engine.fontPixels()[1], 2u);
    EXPECT_EQ(engine.fontPixels()[2], 1u);
}

TEST(FontLoader, dropsAlphaSoOnlyPureBlackIsTransparent) {
    TempDir dir;
    std::vector<uint8_t> bytes = tgaHeader(2, 2, 1);
    bytes.insert(bytes.end(), {0, 0, 0, 255, 1, 0, 0, 0});
    writeBytes(dir.file("font.tga"), bytes);
    FireEngine engine(64, 48, 640);
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), 1);
    EXPECT_EQ(engine.fontPixels()[0], 0u);
    EXPECT_EQ(engine.fontPixels()[1], 1u);
}

TEST(FontLoader, bytesMissingFromAShortFileReadAsFF) {
    TempDir dir;
    std::vector<uint8_t> bytes = tgaHeader(2, 2, 2);
    // One whole stored pixel, then only the blue and green bytes of the second.
    bytes.insert(bytes.end(), {0x11, 0x22, 0x33, 0x00, 0x44, 0x55});
    writeBytes(dir.file("font.tga"), bytes);
    FireEngine engine(64, 48, 640);
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), 1);
    const auto pixels = engine.fontPixels();
    // The stored rows go bottom first: sheet row 1 holds the bytes that were there.
    EXPECT_EQ(pixels[2], 0x332211u);
    EXPECT_EQ(pixels[3], 0xFF5544u);
    EXPECT_EQ(pixels[0], 0xFFFFFFu);
    EXPECT_EQ(pixels[1], 0xFFFFFFu);
}

TEST(FontLoader, readsIdBytesAsPixelData) {
    TempDir dir;
    std::vector<uint8_t> bytes = tgaHeader(2, 1, 1, 32, 4);
    bytes.insert(bytes.end(), {0x01, 0x02, 0x03, 0x04, 0xAA, 0xBB, 0xCC, 0xDD});
    writeBytes(dir.file("font.tga"), bytes);
    FireEngine engine(64, 48, 640);
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), 1);
    EXPECT_EQ(engine.fontPixels()[0], 0x030201u);
}

TEST(FontLoader, refusesAHeaderCutBeforeTheDepthByte) {
    TempDir dir;
    const std::vector<uint8_t> whole = tgaHeader(2, 3, 2);
    for (const size_t length : {0u, 2u, 3u, 12u, 16u}) {
        SCOPED_TRACE(length);
        writeBytes(dir.file("font.tga"), {whole.begin(), whole.begin() + length});
        FireEngine engine(64, 48, 640);
        EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), -2);
        expectUntouched(engine);
    }
}

TEST(FontLoader, headerEndingAtTheDepthByteGivesAWhiteSheet) {
    TempDir dir;
    const std::vector<uint8_t> whole = tgaHeader(2, 3, 2);
    writeBytes(dir.file("font.tga"), {whole.begin(), whole.begin() + 17});
    FireEngine engine(64, 48, 640);
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 1), 1);
    EXPECT_TRUE(std::ranges::all_of(engine.fontPixels(), [](uint32_t p) { return p == 0xFFFFFF; }));
}

TEST(FontLoader, refusesSizesNoGlyphSheetCouldHave) {
    TempDir dir;
    for (const auto& [w, h] : {std::pair<uint16_t, uint16_t>{65535, 65535}, {4097, 4097}}) {
        SCOPED_TRACE(w);
        for (const uint8_t depth : {32, 24}) {
            writeBytes(dir.file("font.tga"), tgaHeader(2, w, h, depth));
            FireEngine engine(64, 48, 640);
            EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 50), -2);
            expectUntouched(engine);
        }
    }
}

TEST(FontLoader, acceptsALongStripOfCells) {
    TempDir dir;
    writeBytes(dir.file("font.tga"), tgaHeader(2, 65535, 50));
    FireEngine engine(64, 48, 640);
    EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 50), 1);
    EXPECT_EQ(engine.fontPixels().size(), 65535u * 50u);
}

TEST(FontLoader, aLaterLoadReplacesTheSheet) {
    TempDir dir;
    writeBytes(dir.file("a.tga"), tgaImage(2, 3, 2, smallSheet));
    writeBytes(dir.file("b.tga"), tgaImage(2, 1, 1, {0x123456}));
    FireEngine engine(64, 48, 640);
    ASSERT_EQ(engine.loadFont(dir.file("a.tga").c_str(), 1), 1);
    ASSERT_EQ(engine.loadFont(dir.file("b.tga").c_str(), 1), 1);
    ASSERT_EQ(engine.fontPixels().size(), 1u);
    EXPECT_EQ(engine.fontPixels()[0], 0x123456u);
}
