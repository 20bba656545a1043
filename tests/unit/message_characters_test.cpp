// Messages as characters: UTF-8 with the legacy code page for stray bytes, the glyph sheet's
// listed rows, the script's byte-order mark and cut, the clock in a message, and the editor's
// rows with line breaks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "seams/system_fonts.h"
#include "seams/text_encoding.h"
#include "text/message_cycle.h"
#include "text/message_rows.h"
#include "text/system_glyphs.h"
#include "text/text_decoding.h"
#include "text/time_escapes.h"
#include "text_test_support.h"

namespace {
std::u32string textOf(ParticleList& list) {
    std::u32string text;
    for (GlyphParticle* p = list.first(); p; p = list.next())
        text += p->character;
    return text;
}

// A 2 x 3 sheet of 10-pixel cells, each cell one colour: row 0 'A' 'B', rows 1 and 2 listed.
class ListedSheet : public ::testing::Test {
  protected:
    void load(const std::string& list) {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 20; ++x)
                pixels.push_back(uint32_t(0x10 * (y / 10 * 2 + x / 10) + 1));
        writeBytes(dir.file("font.tga"), tgaImage(2, 20, 30, pixels));
        writeText(dir.file("font.txt"), list);
        ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 10), 1);
    }
    // The colour `c` draws, 0 for none.
    uint32_t colourOf(char32_t c) {
        std::fill(frame.begin(), frame.end(), 0);
        engine.drawGlyph(0, 5, c, frame.data());
        return frame[5 * 1024];
    }
    TempDir dir;
    FireEngine engine{1024, 768, 640};
    std::vector<uint32_t> frame = std::vector<uint32_t>(1024 * 768);
};
} // namespace

TEST(TextDecoding, readsUtf8AndEachStrayByteInTheLegacyCodePage) {
    EXPECT_EQ(decodeText("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\xA5"), U"A\u00E9\u20AC\U0001F525");
    // Windows-1252: an e acute, the euro and a byte it leaves undefined; then a sequence that
    // breaks off, an overlong '/', a UTF-16 surrogate and a code past U+10FFFF, a byte at a time.
    EXPECT_EQ(decodeText("\xE9 \x80\x81"), U"\u00E9 \u20AC\u0081");
    EXPECT_EQ(decodeText("\xE2\x82x"), U"\u00E2\u201Ax");
    EXPECT_EQ(decodeText("\xC0\xAF"), U"\u00C0\u00AF");
    EXPECT_EQ(decodeText("\xED\xA0\x80").size(), 3u);
    EXPECT_EQ(decodeText("\xF4\x90\x80\x80").size(), 4u);
    const std::string words = "Gr\u00FC\u00DFe \u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u65B0";
    EXPECT_EQ(encodeUtf8(decodeText(words)), words);
    // The system's own code page, as Windows hands it over.
    LegacyCodePage saved{}, greek{};
    for (std::size_t i = 0; i < saved.size(); ++i)
        saved[i] = greek[i] = legacyCharacter(uint8_t(0x80 + i));
    greek[0xE1 - 0x80] = U'\u03B1';
    useLegacyCodePage(greek);
    EXPECT_EQ(decodeText("\xE1\xC3\xA1"), U"\u03B1\u00E1");
    useLegacyCodePage(saved);
    // A text cut at a limit keeps whole characters only.
    EXPECT_EQ(wholeCharacters("ab\xC3"), 2u);
    EXPECT_EQ(wholeCharacters("ab\xE2\x82"), 2u);
    EXPECT_EQ(wholeCharacters("ab\xE2\x82\xAC"), 5u);
    EXPECT_EQ(wholeCharacters("ab\xF0\x9F\x94"), 2u);
    EXPECT_EQ(wholeCharacters("ab\xE9"), 2u) << "a lone lead byte at the cut goes too";
}

// One particle per character; the script's text may begin with a byte-order mark, which it
// skips every time round, and a text cut at its 1023 bytes keeps whole characters.
TEST(MessageText, oneParticlePerCharacterFromTheScript) {
    TempDir dir;
    FireEngine engine(1024, 768, 640);
    writeText(dir.file("motd.txt"), "\xEF\xBB\xBFK\xC3\xB6ln+\xE2\x82\xAC 1 2 3\n" +
                                        std::string(1022, 'x') + "\xC3\xA9\xC3\xA9 4 5 6\n");
    ASSERT_TRUE(engine.openScript(dir.file("motd.txt").c_str()));
    for (int round = 0; round < 2; ++round) {
        auto first = engine.nextMessage();
        EXPECT_EQ(textOf(*first), U"K\u00F6ln+\u20AC");
        EXPECT_EQ(engine.getHoldTime(), 3u);
        auto cut = engine.nextMessage();
        EXPECT_EQ(textOf(*cut), std::u32string(1022, U'x')) << "the cut e acute is dropped whole";
        EXPECT_EQ(cut->first()->x, 4.0f) << "and the numbers after the text still read";
    }
    // The layout steps one cell per character, whatever its bytes.
    auto list = engine.layoutMessage(0, 100,
                                     "\xC3\xA9\xE6\x96\xB0"
                                     "A");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->next(), nullptr);
    GlyphParticle* a = list->first();
    a = list->next();
    a = list->next();
    EXPECT_EQ(a->x, 100.0f);
}

TEST_F(ListedSheet, listedCharactersDrawFromTheirRowsAndTheClassicStripComesFirst) {
    // Row 1: a blank cell, then the e acute; row 2: 'B' again (the strip has it) and a euro; a
    // third line has no row, and characters past a row's cells have none.
    load("\xEF\xBB\xBF \xC3\xA9xyz\r\nB\xE2\x82\xAC\nQ\n");
    EXPECT_EQ(colourOf(U'A'), 0x01u);
    EXPECT_EQ(colourOf(U'B'), 0x11u);
    EXPECT_EQ(colourOf(U'\u00E9'), 0x31u);
    EXPECT_EQ(colourOf(U'\u20AC'), 0x51u);
    for (const char32_t none : {U' ', U'x', U'y', U'Q', U'C', U'\u00E8'})
        EXPECT_EQ(colourOf(none), 0u) << uint32_t(none);
    // Without its list the sheet is a classic one.
    std::filesystem::remove(dir.file("font.txt"));
    ASSERT_EQ(engine.loadFont(dir.file("font.tga").c_str(), 10), 1);
    EXPECT_EQ(colourOf(U'\u00E9'), 0u);
    EXPECT_EQ(colourOf(U'B'), 0x11u);
    EXPECT_EQ(GlyphSheet::characterListPath("C:\\x.y\\font.tga"), "C:\\x.y\\font.txt");
    EXPECT_EQ(GlyphSheet::characterListPath("/a.b/sheet"), "/a.b/sheet.txt");
}

TEST(TimeEscapes, showTheLocalTimeInTheUsersWords) {
    const LocalTime t{2026, 3, 7, 6, 21, 5, 9}; // Saturday 7 March 2026, 21:05:09
    EXPECT_EQ(expandTimeEscapes(U"%H:%M:%S %I%p %d.%m.%y %Y|%e|", t),
              U"21:05:09 09PM 07.03.26 2026| 7|");
    EXPECT_EQ(expandTimeEscapes(U"%a %A %b %B", t), U"Sat Saturday Mar March");
    EXPECT_EQ(expandTimeEscapes(U"100%% %H%", t), U"100% 21%");
    EXPECT_EQ(expandTimeEscapes(U"%x %%H %", t), U"%x %H %") << "anything else stays as written";
    TimeNames german;
    german.days[6] = "Samstag";
    german.months[2] = "M\xC3\xA4rz";
    EXPECT_EQ(expandTimeEscapes(U"%A %e. %B", t, german), U"Samstag  7. M\u00E4rz");
    const LocalTime midnight{2000, 1, 1, 6, 0, 0, 0};
    EXPECT_EQ(expandTimeEscapes(U"%I%p %y", midnight), U"12AM 00");
    EXPECT_TRUE(showsTime(U"at+%H"));
    EXPECT_FALSE(showsTime(U"100%%H"));
    EXPECT_FALSE(showsTime(U"50%+off%"));
}

// A held message that shows the time follows the clock: laid out again in place, at rest, when
// what it shows changes; a message without it draws from the random sequence as it always did.
TEST(TimeEscapes, aHeldMessageFollowsTheClock) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    TempDir dir;
    FireEngine engine(1024, 768, 640);
    writeText(dir.file("motd.txt"), "%H:%M 100 200 600000\n");
    ManualClock clock;
    clock.seconds = 59 + 60 * (59 + 60 * 13); // 13:59:59 on the first day
    MessageCycle cycle;
    startMessageCycle(cycle, engine, dir.file("motd.txt").c_str(), clock);
    EXPECT_EQ(textOf(*cycle.current), U"13:59");
    std::vector<uint32_t> frame(1024 * 768);
    clock.now = 500;
    stepMessageCycle(cycle, engine, frame.data(), clock);
    EXPECT_EQ(textOf(*cycle.current), U"13:59");
    clock.seconds += 1;
    clock.now = 1000;
    stepMessageCycle(cycle, engine, frame.data(), clock);
    EXPECT_EQ(textOf(*cycle.current), U"14:00");
    EXPECT_EQ(cycle.state, MessageState::Holding);
    EXPECT_EQ(cycle.current->first()->x, 100.0f);
    EXPECT_EQ(cycle.current->first()->y, 200.0f);
    ::unsetenv("TZ");
    ::tzset();
}

// A line of clock names grows as it is shown; it is cut to the 1023 characters a message holds.
TEST(TimeEscapes, theNamesNeverMakeAMessageLongerThanALine) {
    TempDir dir;
    FireEngine engine(1024, 768, 640);
    std::string names;
    for (int i = 0; i < 511; ++i)
        names += "%A";
    writeText(dir.file("motd.txt"), names + " 0 0 0\n");
    ASSERT_TRUE(engine.openScript(dir.file("motd.txt").c_str()));
    ManualClock clock;
    auto message = engine.nextMessage(&clock);
    EXPECT_EQ(message->count(), 1023) << "511 day names, cut";
}

TEST(MessageRows, aLineEndInASentenceStartsANewLineAndReadsBackAsOne) {
    EXPECT_EQ(scriptEntry("Gr\u00FC\u00DFe\naus K\u00F6ln", 2),
              "+Gr\u00FC\u00DFe-aus+K\u00F6ln 312 170 2000");
    const std::string script = "+Gr\u00FC\u00DFe-aus+K\u00F6ln 312 170 2000\n";
    const std::vector<MessageRow> rows = rowsFromScript(script);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].text, "Gr\u00FC\u00DFe\naus K\u00F6ln");
    EXPECT_EQ(rows[0].seconds, 2.0);
    // The same words with other breaks still read as the kept entry.
    EXPECT_EQ(scriptFromRows({{"Gr\u00FC\u00DFe aus\nK\u00F6ln", 2}}, script), script);
}

namespace {
// Fonts that have every even code point, drawn as a bold bar across the middle of the box, and
// none of the odd ones; counts what it was asked.
class EvenFonts : public SystemFonts {
  public:
    bool drawCharacter(char32_t c, const GlyphPlacement& place,
                       std::vector<uint8_t>& coverage) override {
        ++asked;
        if (c % 2)
            return false;
        coverage.assign(std::size_t(place.size) * std::size_t(place.size), 0);
        for (int y = int(place.baseline) - 60; y < int(place.baseline); ++y)
            for (int x = int(place.left) + int(c % 7); x < int(place.right); ++x)
                coverage[std::size_t(y) * std::size_t(place.size) + std::size_t(x)] = 255;
        return true;
    }
    std::atomic<int> asked{0};
};
} // namespace

// A character the sheet lacks comes from the system's fonts, made once, in the ember look; one
// no font has keeps its empty cell; the sheet's characters never go to the fonts.
TEST(SystemGlyphs, madeOnceInTheEmberLookAndOnlyForWhatTheSheetLacks) {
    resetSystemGlyphsForTesting();
    auto fonts = std::make_shared<EvenFonts>();
    useSystemFonts(fonts);
    TempDir dir;
    FireEngine engine(1024, 768, 640);
    ASSERT_EQ(engine.loadFont(EMBERHALL_SOURCE_DIR "/data/fire_fonts/font.tga", 50), 1);
    const std::u32string text = U"A\u65B0\u5FEB\u65B0\u00E9 \u0627";
    engine.prepareGlyphs(text);
    ASSERT_TRUE(
        systemGlyphsReady(text, 50, std::chrono::steady_clock::now() + std::chrono::seconds(30)));
    EXPECT_EQ(fonts->asked.load(), 2) << "only the two Han characters, each once; not the Arabic";
    const uint32_t* even = systemGlyph(U'\u65B0', 50);
    ASSERT_NE(even, nullptr);
    EXPECT_EQ(systemGlyph(U'\u5FEB', 50), nullptr) << "U+5FEB is odd: in no font";
    long ink = 0;
    for (int i = 0; i < 50 * 50; ++i) {
        ink += even[i] != 0;
        EXPECT_TRUE(even[i] == 0 || (even[i] & 0xFF) >= 1) << "every ink pixel has blue";
    }
    EXPECT_GT(ink, 300);
    std::vector<uint32_t> frame(1024 * 768, 0);
    auto list = engine.layoutMessage(100, 100, text);
    engine.drawParticles(*list, frame.data());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
            const uint32_t cell = even[y * 50 + x];
            EXPECT_EQ(frame[std::size_t(100 + y) * 1024 + 150 + std::size_t(x)], cell);
            EXPECT_EQ(frame[std::size_t(100 + y) * 1024 + 250 + std::size_t(x)], cell);
            EXPECT_EQ(frame[std::size_t(100 + y) * 1024 + 200 + std::size_t(x)], 0u);
        }
    engine.prepareGlyphs(text);
    EXPECT_EQ(fonts->asked.load(), 2) << "nothing is made twice";
    resetSystemGlyphsForTesting();
}
