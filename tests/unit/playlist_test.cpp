#include <gtest/gtest.h>

#include "audio_test_support.h"
#include "sound/playlist.h"

#include "test_support.h"

namespace {
std::vector<std::string> names(Playlist& playlist, int count) {
    std::vector<std::string> read;
    for (int i = 0; i < count; ++i) {
        const auto name = playlist.nextName();
        read.push_back(name ? name.get() : "<none>");
    }
    return read;
}

class PlaylistFile : public ::testing::Test {
  protected:
    Playlist playlistOf(const std::string& text) {
        writeText(dir / "pls.txt", text);
        Playlist playlist;
        EXPECT_TRUE(playlist.open((dir / "pls.txt").c_str()));
        return playlist;
    }
    TempDirectory temp;
    const std::filesystem::path dir = temp.path();
};
} // namespace

TEST_F(PlaylistFile, repeatsTheWordsInFileOrderWhateverSeparatesThem) {
    const std::vector<std::string> expected = {"first.mp3",  "second.mp3", "third.mp3", "first.mp3",
                                               "second.mp3", "third.mp3",  "first.mp3"};
    for (const char* text : {"first.mp3 second.mp3 third.mp3", "first.mp3\nsecond.mp3\nthird.mp3\n",
                             "\n\t first.mp3\r\n\r\nsecond.mp3\t\tthird.mp3   \n\n"}) {
        Playlist playlist = playlistOf(text);
        EXPECT_EQ(names(playlist, 7), expected) << text;
    }
}

TEST_F(PlaylistFile, oneNameRepeatsAndABlankSplitsAName) {
    Playlist one = playlistOf("only.wav\n");
    EXPECT_EQ(names(one, 3), (std::vector<std::string>{"only.wav", "only.wav", "only.wav"}));
    Playlist spaced = playlistOf("My Song.mp3");
    EXPECT_EQ(names(spaced, 3), (std::vector<std::string>{"My", "Song.mp3", "My"}));
}

// Music folders have blanks in their names: a line that as a whole names a file is one track,
// whatever blanks stand around it and however it ends; any other line is read word by word.
TEST_F(PlaylistFile, aLineThatNamesAFileIsOneTrackOtherLinesAreWords) {
    writeText(dir / "My Album" / "01 Song.mp3", "x");
    writeText(dir / "two words.mp3", "x");
    const std::string song = (dir / "My Album" / "01 Song.mp3").string();
    const std::string words = (dir / "two words.mp3").string();
    for (const char* end : {"\n", "\r\n"}) { // and the last line without one
        Playlist playlist = playlistOf(" \t" + song + "  " + end + "a.mp3 b.mp3" + end + words);
        EXPECT_EQ(names(playlist, 5),
                  (std::vector<std::string>{song, "a.mp3", "b.mp3", words, song}))
            << "line end " << testing::PrintToString(end);
    }
    // A name in the middle of a line is a word, even where the rest of the line names a file;
    // and a line that names no file is its words.
    Playlist middle = playlistOf("first.mp3 " + words + "\n" + words + ".missing\n");
    const std::string head = words.substr(0, words.find(' '));
    EXPECT_EQ(names(middle, 5), (std::vector<std::string>{"first.mp3", head, "words.mp3", head,
                                                          "words.mp3.missing"}));
    // A later run that resumes at a whole-line name reads it whole again.
    Playlist resumed = playlistOf("a.mp3\n" + song + "\n");
    resumed.resumeAt(6);
    EXPECT_EQ(names(resumed, 2), (std::vector<std::string>{song, "a.mp3"}));
}

TEST_F(PlaylistFile, emptyFileGivesTheEmptyNameAndNoFileGivesNone) {
    for (const char* text : {"", " \n\t\n"}) {
        Playlist empty = playlistOf(text);
        EXPECT_EQ(names(empty, 2), (std::vector<std::string>{"", ""}));
    }
    Playlist unopened;
    EXPECT_EQ(unopened.nextName(), nullptr);
    EXPECT_FALSE(unopened.open((dir / "missing.txt").c_str()));
    EXPECT_EQ(unopened.nextName(), nullptr);
}

TEST_F(PlaylistFile, cutsAWordLongerThanTheBuffer) {
    const std::string longWord(2000, 'x');
    Playlist playlist = playlistOf(longWord + " next.wav");
    const auto first = playlist.nextName();
    EXPECT_EQ(std::string(first.get()), longWord.substr(0, 1023));
    EXPECT_EQ(first[1023], '\0');
    // The rest of the long word is dropped, not read as a name of its own.
    EXPECT_EQ(names(playlist, 2), (std::vector<std::string>{"next.wav", longWord.substr(0, 1023)}));
    const std::string exact(1023, 'y');
    Playlist fits = playlistOf(exact);
    EXPECT_EQ(std::string(fits.nextName().get()), exact);
}
