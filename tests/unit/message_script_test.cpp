#include <gtest/gtest.h>

#include <string>

#include "fire/fire_engine.h"
#include "text_test_support.h"

namespace {

struct Message {
    std::string text;
    float x = 0;
    float y = 0;
    uint32_t hold = 0;
    int count = 0;
};

// The next message as text, the position of its first particle and its hold time.
Message next(FireEngine& engine) {
    auto list = engine.nextMessage();
    Message m;
    m.hold = engine.getHoldTime();
    m.count = list->count();
    if (GlyphParticle* p = list->first()) {
        m.x = p->x;
        m.y = p->y;
    }
    for (GlyphParticle* p = list->first(); p; p = list->next())
        m.text += p->character;
    return m;
}

class ScriptTest : public ::testing::Test {
  protected:
    void open(const std::string& contents) {
        writeText(dir.file("motd.txt"), contents);
        ASSERT_TRUE(engine.openScript(dir.file("motd.txt").c_str()));
    }

    TempDir dir;
    FireEngine engine{1024, 768, 640};
};

} // namespace

TEST_F(ScriptTest, singleEntryRepeatsForEver) {
    open("HI 10 20 900\n");
    for (int call = 0; call < 4; ++call) {
        const Message m = next(engine);
        EXPECT_EQ(m.text, "HI");
        EXPECT_EQ(m.x, 10.0f);
        EXPECT_EQ(m.y, 20.0f);
        EXPECT_EQ(m.hold, 900u);
    }
}

TEST_F(ScriptTest, entriesComeInTurnAndStartAgain) {
    open("ONE 1 2 3\r\n\tTWO   4\n5 6\n\n  ");
    for (int round = 0; round < 3; ++round) {
        const Message first = next(engine);
        EXPECT_EQ(first.text, "ONE");
        EXPECT_EQ(first.hold, 3u);
        const Message second = next(engine);
        EXPECT_EQ(second.text, "TWO");
        EXPECT_EQ(second.x, 4.0f);
        EXPECT_EQ(second.y, 5.0f);
        EXPECT_EQ(second.hold, 6u);
    }
}

TEST_F(ScriptTest, textAndPositionAreLaidOut) {
    open("HELLO-WORLD 100 200 900");
    auto list = engine.nextMessage();
    const auto cells = placed(*list);
    ASSERT_EQ(cells.size(), 11u);
    EXPECT_EQ(cells[0], (PlacedCharacter{'H', 100, 200}));
    EXPECT_EQ(cells[6], (PlacedCharacter{'W', 100, 250}));
    EXPECT_EQ(engine.getHoldTime(), 900u);
}

TEST_F(ScriptTest, fieldThatIsNoNumberBecomesTheNextText) {
    open("HI 10 X 500\n");
    const Message first = next(engine);
    EXPECT_EQ(first.text, "HI");
    EXPECT_EQ(first.x, 10.0f);
    EXPECT_EQ(first.y, 0.0f);
    EXPECT_EQ(first.hold, 0u);
    const Message second = next(engine);
    EXPECT_EQ(second.text, "X");
    EXPECT_EQ(second.x, 500.0f);
    EXPECT_EQ(second.y, 0.0f);
    EXPECT_EQ(next(engine).text, "HI");
}

TEST_F(ScriptTest, entryCutByTheEndOfFileKeepsZerosThenStartsAgain) {
    open("A 1 2 3 B 7");
    EXPECT_EQ(next(engine).text, "A");
    const Message cut = next(engine);
    EXPECT_EQ(cut.text, "B");
    EXPECT_EQ(cut.x, 7.0f);
    EXPECT_EQ(cut.y, 0.0f);
    EXPECT_EQ(cut.hold, 0u);
    EXPECT_EQ(next(engine).text, "A");
}

TEST_F(ScriptTest, holdTimesKeepTheir32BitPattern) {
    open("A 0 0 -1 B 0 0 +250 C 0 0 4294967295 D 0 0 4294967297 E -30 -40 0");
    EXPECT_EQ(next(engine).hold, 0xFFFFFFFFu);
    EXPECT_EQ(next(engine).hold, 250u);
    EXPECT_EQ(next(engine).hold, 0xFFFFFFFFu);
    EXPECT_EQ(next(engine).hold, 1u);
    const Message negative = next(engine);
    EXPECT_EQ(negative.x, -30.0f);
    EXPECT_EQ(negative.y, -40.0f);
}

TEST_F(ScriptTest, signWithoutDigitsIsConsumed) {
    open("A 5 - 9 7 1\n");
    const Message first = next(engine);
    EXPECT_EQ(first.x, 5.0f);
    EXPECT_EQ(first.y, 0.0f);
    // The lone sign is gone; the scan goes on from the 9.
    EXPECT_EQ(next(engine).text, "9");
}

TEST_F(ScriptTest, textOf1023CharactersIsReadWhole) {
    const std::string text(1023, 'k');
    open(text + " 1 2 3\nNEXT 4 5 6\n");
    const Message m = next(engine);
    EXPECT_EQ(m.count, 1023);
    EXPECT_EQ(m.text, text);
    EXPECT_EQ(m.hold, 3u);
    EXPECT_EQ(next(engine).text, "NEXT");
}

TEST_F(ScriptTest, longerTextIsCutAndTheFieldsAfterItStillRead) {
    open(std::string(1023, 'k') + std::string(2000, 'q') + " 7 8 900\nNEXT 4 5 6\n");
    const Message m = next(engine);
    EXPECT_EQ(m.count, 1023);
    EXPECT_EQ(m.text, std::string(1023, 'k'));
    EXPECT_EQ(m.x, 7.0f);
    EXPECT_EQ(m.hold, 900u);
    const Message after = next(engine);
    EXPECT_EQ(after.text, "NEXT");
    EXPECT_EQ(after.hold, 6u);
}

TEST_F(ScriptTest, scriptWithoutEntriesGivesEmptyMessages) {
    for (const char* contents : {"", " \n\t\r\n  "}) {
        open(contents);
        for (int call = 0; call < 3; ++call) {
            const Message m = next(engine);
            EXPECT_EQ(m.count, 0);
            EXPECT_EQ(m.hold, 0u);
        }
    }
}

TEST(MessageScript, missingScriptGivesEmptyMessages) {
    TempDir dir;
    FireEngine engine(1024, 768, 640);
    EXPECT_FALSE(engine.openScript(dir.file("absent.txt").c_str()));
    EXPECT_FALSE(engine.openScript(nullptr));
    for (int call = 0; call < 3; ++call) {
        auto list = engine.nextMessage();
        EXPECT_EQ(list->count(), 0);
        EXPECT_EQ(engine.getHoldTime(), 0u);
    }
}
