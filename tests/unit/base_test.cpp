#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/words.h"
#include "test_support.h"

namespace {
std::vector<std::string> wordsOf(const std::string& text, std::size_t size) {
    TempDirectory temp;
    temp.write("words.txt", text);
    std::FILE* file = std::fopen(temp.file("words.txt").c_str(), "rb");
    std::vector<std::string> words;
    std::vector<char> word(size);
    while (readWord(file, word.data(), size))
        words.emplace_back(word.data());
    std::fclose(file);
    return words;
}
} // namespace

TEST(Words, areSeparatedByEveryKindOfWhiteSpaceInAnyNumber) {
    EXPECT_EQ(wordsOf(" one\ttwo\n\nthree\r\nfour\vfive\fsix   ", 64),
              (std::vector<std::string>{"one", "two", "three", "four", "five", "six"}));
    EXPECT_EQ(wordsOf("", 64), std::vector<std::string>{});
    EXPECT_EQ(wordsOf(" \n\t ", 64), std::vector<std::string>{});
}

TEST(Words, aLongWordIsCutAndItsRestDropped) {
    // Four bytes hold three characters; the rest of "abcdefg" must not become a word of its own.
    EXPECT_EQ(wordsOf("abcdefg hi", 4), (std::vector<std::string>{"abc", "hi"}));
    EXPECT_EQ(wordsOf("abc", 4), (std::vector<std::string>{"abc"}));
}

TEST(Words, theWhiteSpaceAfterAWordStaysUnread) {
    TempDirectory temp;
    temp.write("words.txt", "word\n7");
    std::FILE* file = std::fopen(temp.file("words.txt").c_str(), "rb");
    char word[16];
    ASSERT_TRUE(readWord(file, word, sizeof word));
    EXPECT_EQ(std::fgetc(file), '\n');
    EXPECT_EQ(skipBlanks(file), '7');
    EXPECT_EQ(std::fgetc(file), '7') << "skipBlanks leaves the character it found";
    EXPECT_FALSE(readWord(file, word, sizeof word));
    EXPECT_STREQ(word, "");
    std::fclose(file);
}

TEST(Words, bytesAbove127AreNoWhiteSpace) {
    EXPECT_EQ(wordsOf("\xC3\xA9t\xC3\xA9 \xA0x", 64),
              (std::vector<std::string>{"\xC3\xA9t\xC3\xA9", "\xA0x"}));
}
