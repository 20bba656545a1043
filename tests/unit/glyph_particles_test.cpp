#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "text_test_support.h"

namespace {

constexpr int32_t frameWidth = 1024;
constexpr int32_t frameHeight = 768;
constexpr int32_t glyph = 50;
constexpr uint32_t untouched = 0xDEADBEEF;

// Cells 'A', 'B' and 'C'. Every pixel says where it came from: cell + 1 in the red byte, sheet
// row in green, column within the cell in blue. In 'C' every other pixel is transparent.
uint32_t sheetPixel(int cell, int row, int column) {
    if (cell == 2 && (row + column) % 2 == 0)
        return 0;
    return uint32_t(cell + 1) << 16 | uint32_t(row) << 8 | uint32_t(column);
}

class GlyphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<uint32_t> pixels;
        for (int row = 0; row < glyph; ++row)
            for (int x = 0; x < 3 * glyph; ++x)
                pixels.push_back(sheetPixel(x / glyph, row, x % glyph));
        writeBytes(dir.file("font.tga"), tgaImage(2, 3 * glyph, glyph, pixels));
        ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), glyph), 1);
    }

    uint32_t at(int x, int y) const { return frame[size_t(y) * frameWidth + size_t(x)]; }
    size_t changedPixels() const {
        return size_t(std::ranges::count_if(frame, [](uint32_t p) { return p != untouched; }));
    }

    TempDir dir;
    FireEngine engine{frameWidth, frameHeight, 640};
    std::vector<uint32_t> frame =
        std::vector<uint32_t>(size_t(frameWidth) * frameHeight, untouched);
};

std::unique_ptr<ParticleList> listOf(std::initializer_list<GlyphParticle> particles) {
    auto list = std::make_unique<ParticleList>();
    for (const GlyphParticle& p : particles)
        list->add(p);
    return list;
}

} // namespace

// --- the list ---

TEST(ParticleList, iteratesInTheOrderOfAddingAndStaysAtTheEnd) {
    ParticleList list;
    EXPECT_EQ(list.first(), nullptr);
    EXPECT_EQ(list.next(), nullptr);
    for (const char c : {'A', 'B', 'C'})
        ASSERT_TRUE(list.add({char32_t(c), 0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(list.count(), 3);
    std::string order;
    for (GlyphParticle* p = list.first(); p; p = list.next())
        order += p->character;
    EXPECT_EQ(order, "ABC");
    EXPECT_EQ(list.next(), nullptr);
    EXPECT_EQ(list.next(), nullptr);
    ASSERT_NE(list.first(), nullptr);
    EXPECT_EQ(list.first()->character, 'A');
}

// --- layout ---

TEST(GlyphLayout, wrapsTheTwentyFirstLetter) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = engine.layoutMessage(0, 10, std::string(25, 'W').c_str());
    const auto cells = placed(*list);
    ASSERT_EQ(cells.size(), 25u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(cells[i], (PlacedCharacter{'W', 50.0f * i, 10.0f})) << i;
    for (int i = 20; i < 25; ++i)
        EXPECT_EQ(cells[i], (PlacedCharacter{'W', 50.0f * (i - 20), 60.0f})) << i;
}

TEST(GlyphLayout, marginPastTheWrapLimitWrapsEveryCharacter) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = engine.layoutMessage(980, 100, "ABCD");
    const auto cells = placed(*list);
    ASSERT_EQ(cells.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(cells[i],
                  (PlacedCharacter{char32_t(U'A' + i), 980.0f, 100.0f + 50.0f * (i + 1)}));
}

TEST(GlyphLayout, lineBreakReturnsToTheMargin) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = engine.layoutMessage(100, 200, "AB-CD");
    EXPECT_EQ(
        placed(*list),
        (std::vector<PlacedCharacter>{
            {'A', 100, 200}, {'B', 150, 200}, {'-', 200, 200}, {'C', 100, 250}, {'D', 150, 250}}));
}

TEST(GlyphLayout, nudgeMovesOnePixelAndBlankTakesACell) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto nudged = engine.layoutMessage(30, 40, "A*B");
    EXPECT_EQ(placed(*nudged)[2], (PlacedCharacter{'B', 81, 40}));
    auto blank = engine.layoutMessage(30, 40, "A+B");
    EXPECT_EQ(placed(*blank)[2], (PlacedCharacter{'B', 130, 40}));
}

TEST(GlyphLayout, lineBreakNeverWraps) {
    FireEngine engine(frameWidth, frameHeight, 640);
    // Twenty letters leave the cursor at column 1000, past the wrap limit.
    auto list = engine.layoutMessage(0, 0, (std::string(20, 'A') + "-B").c_str());
    const auto cells = placed(*list);
    EXPECT_EQ(cells[20], (PlacedCharacter{'-', 1000, 0}));
    EXPECT_EQ(cells[21], (PlacedCharacter{'B', 0, 50}));
    auto atMargin = engine.layoutMessage(980, 0, "-A");
    EXPECT_EQ(placed(*atMargin), (std::vector<PlacedCharacter>{{'-', 980, 0}, {'A', 980, 100}}));
}

TEST(GlyphLayout, emptyTextGivesAnEmptyListThatDrawsAndMovesNothing) {
    FireEngine engine(frameWidth, frameHeight, 640);
    for (const char* text : {"", static_cast<const char*>(nullptr)}) {
        auto list = engine.layoutMessage(10, 10, text);
        EXPECT_EQ(list->count(), 0);
        std::vector<uint32_t> frame(size_t(frameWidth) * frameHeight, untouched);
        engine.drawParticles(*list, frame.data());
        engine.moveParticles(*list);
        EXPECT_EQ(list->first(), nullptr);
        EXPECT_TRUE(std::ranges::all_of(frame, [](uint32_t p) { return p == untouched; }));
    }
}

TEST(GlyphLayout, firstVelocityFromSeedOne) {
    FireEngine engine(frameWidth, frameHeight, 640);
    randomSource().seed(1);
    auto list = engine.layoutMessage(0, 0, "AB");
    // Draws 41, 18467, 6334: angles 41 and 107 radians, table entry 4.
    GlyphParticle* first = list->first();
    EXPECT_EQ(first->vx, -0x1.9ae8d2p-1f);
    EXPECT_EQ(first->vy, -1.0f);
    // Draws 26500, 19169, 15724: angles 220 and 89, entry 4 again.
    GlyphParticle* second = list->next();
    EXPECT_EQ(second->vx, float(std::cos(220.0)) + float(std::sin(89.0)));
    EXPECT_EQ(second->vy, -1.0f);
}

TEST(GlyphLayout, everyCharacterTakesThreeDrawsForItsVelocity) {
    // Starting upward speeds; the last entry is still, not -2.
    const float table[10] = {-0.5f, -0.7f, -0.8f, -0.9f, -1.0f, -1.2f, -1.4f, -1.6f, -1.8f, 0.0f};
    FireEngine engine(frameWidth, frameHeight, 640);
    randomSource().seed(20240601);
    RandomSource replay;
    replay.seed(20240601);
    auto list = engine.layoutMessage(0, 0, std::string(600, 'x').append("-*+ ").c_str());
    bool sawEveryEntry[10] = {};
    for (GlyphParticle* p = list->first(); p; p = list->next()) {
        const int a = replay.nextValue() % 360;
        const int b = replay.nextValue() % 360;
        const int k = replay.nextValue() % 10;
        ASSERT_EQ(p->vx, float(std::cos(double(a))) + float(std::sin(double(b))));
        ASSERT_EQ(p->vy, table[k]);
        sawEveryEntry[k] = true;
    }
    EXPECT_TRUE(std::ranges::all_of(sawEveryEntry, [](bool b) { return b; }));
    EXPECT_EQ(randomSource().currentState(), replay.currentState());
}

// --- drawing ---

TEST_F(GlyphTest, copiesTheCharactersCellToTheFrame) {
    engine.drawGlyph(100, 200, 'B', frame.data());
    for (int i = 0; i < glyph; ++i)
        for (int j = 0; j < glyph; ++j)
            ASSERT_EQ(at(100 + j, 200 + i), sheetPixel(1, i, j)) << i << "," << j;
    EXPECT_EQ(changedPixels(), size_t(glyph * glyph));
}

TEST_F(GlyphTest, blackSheetPixelsLeaveTheFrameAsItWas) {
    engine.drawGlyph(100, 200, 'C', frame.data());
    EXPECT_EQ(at(100, 200), untouched);
    EXPECT_EQ(at(101, 200), sheetPixel(2, 0, 1));
    EXPECT_EQ(changedPixels(), size_t(glyph * glyph / 2));
}

TEST_F(GlyphTest, clipsAtTheRightAndBottomEdges) {
    engine.drawGlyph(1000, 740, 'A', frame.data());
    EXPECT_EQ(changedPixels(), size_t(24 * 28));
    EXPECT_EQ(at(1000, 740), sheetPixel(0, 0, 0));
    EXPECT_EQ(at(1023, 767), sheetPixel(0, 27, 23));
}

TEST_F(GlyphTest, neverWritesTheTopFiveRows) {
    engine.drawGlyph(10, -20, 'A', frame.data());
    // Glyph rows 0 to 24 would land on frame rows -20 to 4.
    EXPECT_EQ(changedPixels(), size_t(glyph * 25));
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(at(10, row), untouched);
    EXPECT_EQ(at(10, 5), sheetPixel(0, 25, 0));
    engine.drawGlyph(100, 4, 'A', frame.data());
    EXPECT_EQ(at(100, 4), untouched);
    EXPECT_EQ(at(100, 5), sheetPixel(0, 1, 0));
}

TEST_F(GlyphTest, clipsAtTheLeftEdge) {
    engine.drawGlyph(-45, 100, 'A', frame.data());
    EXPECT_EQ(changedPixels(), size_t(5 * glyph));
    EXPECT_EQ(at(0, 100), sheetPixel(0, 0, 45));
}

TEST_F(GlyphTest, positionsTruncateTowardZero) {
    auto list = listOf({{'A', -0.7f, 3.9f, 0, 0}});
    engine.drawParticles(*list, frame.data());
    // Left edge at column 0, not -1; top at row 3, whose first two rows are kept clear.
    EXPECT_EQ(at(0, 5), sheetPixel(0, 2, 0));
    EXPECT_EQ(at(49, 5), sheetPixel(0, 2, 49));
    EXPECT_EQ(at(50, 5), untouched);
    EXPECT_EQ(at(0, 4), untouched);
    EXPECT_EQ(at(0, 52), sheetPixel(0, 49, 0));
    EXPECT_EQ(at(0, 53), untouched);
}

TEST_F(GlyphTest, charactersWithoutACellDrawNothing) {
    // Below 'A', past the last cell, and above 127 (negative as a signed code).
    for (const char c : {'0', '@', '!', 'D', 'z', char(-56), char(-1), char(0)})
        engine.drawGlyph(100, 100, c, frame.data());
    EXPECT_EQ(changedPixels(), 0u);
}

TEST_F(GlyphTest, layoutCharactersAreNotDrawn) {
    auto list = listOf(
        {{' ', 10, 10, 0, 0}, {'+', 10, 10, 0, 0}, {'-', 10, 10, 0, 0}, {'*', 10, 10, 0, 0}});
    engine.drawParticles(*list, frame.data());
    EXPECT_EQ(changedPixels(), 0u);
}

TEST_F(GlyphTest, laterParticlesDrawOverEarlierOnes) {
    auto list = listOf({{'A', 100, 100, 0, 0}, {'B', 120, 100, 0, 0}});
    engine.drawParticles(*list, frame.data());
    EXPECT_EQ(at(119, 100), sheetPixel(0, 0, 19));
    EXPECT_EQ(at(120, 100), sheetPixel(1, 0, 0));
    EXPECT_EQ(at(149, 100), sheetPixel(1, 0, 29));
}

TEST_F(GlyphTest, positionsFarOutsideTheFrameDrawNothing) {
    auto list = listOf({{'A', 3.0e9f, 100, 0, 0},
                        {'A', -3.0e9f, 100, 0, 0},
                        {'A', 100, 1.0e12f, 0, 0},
                        {'A', NAN, 100, 0, 0},
                        {'A', 2147483520.0f, 2147483520.0f, 0, 0}});
    engine.drawParticles(*list, frame.data());
    engine.drawGlyph(INT32_MAX, INT32_MAX, 'A', frame.data());
    engine.drawGlyph(INT32_MIN, INT32_MIN, 'A', frame.data());
    EXPECT_EQ(changedPixels(), 0u);
}

TEST(GlyphDrawing, sheetThatWasNotLoadedDrawsNothing) {
    TempDir dir;
    FireEngine engine(frameWidth, frameHeight, 640);
    std::vector<uint32_t> frame(size_t(frameWidth) * frameHeight, untouched);
    engine.drawGlyph(100, 100, 'A', frame.data());
    std::vector<uint8_t> bytes = tgaHeader(2, 150, 50);
    bytes[2] = 1; // no true-colour bit
    writeBytes(dir.file("font.tga"), bytes);
    EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 50), -2);
    engine.drawGlyph(100, 100, 'A', frame.data());
    bytes[2] = 2;
    bytes[16] = 24; // kept, but blank
    writeBytes(dir.file("font.tga"), bytes);
    EXPECT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 50), -2);
    engine.drawGlyph(100, 100, 'A', frame.data());
    EXPECT_TRUE(std::ranges::all_of(frame, [](uint32_t p) { return p == untouched; }));
}

TEST(GlyphDrawing, sheetLowerThanTheGlyphLeavesTheRestClear) {
    TempDir dir;
    writeBytes(dir.file("font.tga"), tgaImage(2, 50, 20, std::vector<uint32_t>(50 * 20, 0x123456)));
    FireEngine engine(frameWidth, frameHeight, 640);
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 50), 1);
    std::vector<uint32_t> frame(size_t(frameWidth) * frameHeight, untouched);
    engine.drawGlyph(0, 100, 'A', frame.data());
    EXPECT_EQ(std::ranges::count(frame, 0x123456u), 50 * 20);
}

// --- motion ---

TEST(GlyphMotion, stillParticleKeepsItsRowOnceThenFalls) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = listOf({{'A', 100, 200, 0.0f, 0.0f}});
    GlyphParticle* p = list->first();
    engine.moveParticles(*list);
    EXPECT_EQ(p->y, 200.0f);
    EXPECT_EQ(p->vy, 0.05f);
    engine.moveParticles(*list);
    EXPECT_EQ(p->y, 200.0f + 0.05f);
    EXPECT_EQ(p->vy, 0.05f + 0.05f);
}

TEST(GlyphMotion, risingParticleSlowsByThePull) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = listOf({{'A', 100, 200, 0.0f, -1.0f}});
    GlyphParticle* p = list->first();
    engine.moveParticles(*list);
    EXPECT_EQ(p->y, 199.0f);
    engine.moveParticles(*list);
    EXPECT_EQ(p->y, 199.0f + (-1.0f + 0.05f));
    EXPECT_FLOAT_EQ(p->y, 198.05f);
}

TEST(GlyphMotion, bouncesInPlaceAtTheLeftEdge) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = listOf({{'A', 0.0f, 200, -0.5f, 0.0f}});
    GlyphParticle* p = list->first();
    const float expectedX[] = {-0.5f, 0.0f, -0.5f, 0.0f};
    const float expectedVx[] = {0.5f, -0.5f, 0.5f, -0.5f};
    float previousY = p->y;
    for (int move = 0; move < 4; ++move) {
        engine.moveParticles(*list);
        EXPECT_EQ(p->x, expectedX[move]) << move;
        EXPECT_EQ(p->vx, expectedVx[move]) << move;
        EXPECT_GE(p->y, previousY);
        previousY = p->y;
    }
    EXPECT_GT(p->y, 200.0f);
}

TEST(GlyphMotion, bouncesAtTheRightLimitWithoutCorrection) {
    FireEngine engine(frameWidth, frameHeight, 640);
    auto list = listOf({{'A', 973.5f, 200, 1.0f, 0.0f}, {'B', 972.5f, 200, 1.0f, 0.0f}});
    engine.moveParticles(*list);
    GlyphParticle* reached = list->first();
    GlyphParticle* short_ = list->next();
    EXPECT_EQ(reached->x, 974.5f);
    EXPECT_EQ(reached->vx, -1.0f);
    EXPECT_EQ(short_->x, 973.5f);
    EXPECT_EQ(short_->vx, 1.0f);
}
