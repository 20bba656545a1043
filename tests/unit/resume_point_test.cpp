#include <gtest/gtest.h>

#include <vector>

#include "scene/resume_point.h"
#include "test_support.h"

TEST(ResumePoint, isWrittenAsThreeLinesAndReadBack) {
    const ResumePoint point{0x0123456789abcdefull, 37, 0xfedcba9876543210ull, {120, 83.25}};
    const std::string text = formatResumePoint(point);
    EXPECT_EQ(text, "emberhall resume 1\n"
                    "messages 0123456789abcdef 37\n"
                    "music fedcba9876543210 120 83250\n");
    const auto read = parseResumePoint(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->scriptDigest, point.scriptDigest);
    EXPECT_EQ(read->nextMessage, 37);
    EXPECT_EQ(read->playlistDigest, point.playlistDigest);
    EXPECT_EQ(read->music.trackOffset, 120);
    EXPECT_DOUBLE_EQ(read->music.seconds, 83.25);
}

TEST(ResumePoint, anythingButExactlyThatIsNoPointAtAll) {
    const std::string messages = "messages 0123456789abcdef 37\n";
    const std::string music = "music fedcba9876543210 120 83250\n";
    for (const std::string& damaged : std::vector<std::string>{
             "",
             "emberhall resume 1\n",
             "emberhall resume 2\n" + messages + music,                      // a later format
             "emberhall resume 1\n" + messages + music.substr(0, music.size() - 1), // cut short
             "emberhall resume 1\n" + messages + music + "\n",               // a line more
             "emberhall resume 1\n" + music + messages,                      // out of order
             "emberhall resume 1\nmessages 0123456789abcdef -37\n" + music,  // negative
             "emberhall resume 1\nmessages 0123456789abcdef +37\n" + music,
             "emberhall resume 1\nmessages 0123456789abcdeg 37\n" + music,   // not hex
             "emberhall resume 1\nmessages 123456789abcdef 37\n" + music,    // 15 digits
             "emberhall resume 1\nmessages 0123456789abcdef  37\n" + music,  // two blanks
             "emberhall resume 1\nmessages 0123456789abcdef 37 1\n" + music, // a field more
             "emberhall resume 1\r\nmessages 0123456789abcdef 37\r\n" + music,
             "emberhall resume 1\n" + messages + "music fedcba9876543210 120 99999999999999999999\n",
             "emberhall resume 1\n" + messages + "music fedcba9876543210 2000000000000 1\n",
             "emberhall resume 1\n" + messages + "music fedcba9876543210 120 8.5\n",
             std::string("emberhall resume 1\0\n", 20) + messages + music,
         }) {
        EXPECT_FALSE(parseResumePoint(damaged)) << damaged;
    }
}

TEST(ResumePoint, digestFollowsEveryByteOfTheFile) {
    TempDirectory dir;
    dir.write("a.txt", std::vector<uint8_t>{'a', 'b', 'c'});
    dir.write("b.txt", std::vector<uint8_t>{'a', 'b', 'c'});
    dir.write("c.txt", std::vector<uint8_t>{'a', 'b', 'd'});
    dir.write("d.txt", std::string());
    const uint64_t a = fileDigest(dir.file("a.txt").c_str());
    EXPECT_EQ(a, fileDigest(dir.file("b.txt").c_str()));
    EXPECT_NE(a, fileDigest(dir.file("c.txt").c_str()));
    EXPECT_NE(fileDigest(dir.file("d.txt").c_str()), 0u) << "an empty file is still a file";
    EXPECT_EQ(fileDigest(dir.file("missing.txt").c_str()), 0u);
    EXPECT_EQ(fileDigest(nullptr), 0u);
}
