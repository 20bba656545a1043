// emberhall --add-to-xscreensaver on a real ~/.xscreensaver (data/xscreensaver-6.06-settings.txt,
// written by Debian 12's xscreensaver-settings after one change of "Blank After"; and
// data/xscreensaver-6.06-emberhall-set.txt, the same after this command and a "Save" in
// Emberhall's settings) and on odd ones: Emberhall is added once, at the end of the list, and
// nothing else changes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "linux/session/xscreensaver_file.h"
#include "test_support.h"

namespace {
const std::string entry = "\t\t\t\temberhall\t\t\t\t    \\n\\";

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string realFile() {
    return readText(std::string(EMBERHALL_SOURCE_DIR) +
                    "/tests/linux/data/xscreensaver-6.06-settings.txt");
}

// A system defaults file as xscreensaver-data installs it, in short.
const std::string systemDefaults = "*timeout: 0:10:00\n"
                                   "*programs:\t\t\t\t\\\n"
                                   "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                                   "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\n"
                                   "*pointerHysteresis: 10\n";

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

struct EditRun {
    int code = 0;
    std::string out;
    std::string err;
};

EditRun add(const TempDirectory& home) {
    home.write("defaults", systemDefaults);
    std::ostringstream out, err;
    EditRun run;
    run.code = addToXScreenSaver(home.path().string(), home.file("defaults"), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}
} // namespace

TEST(AddToXScreenSaver, ARealFileGainsOneLineAtTheEndOfTheListAndNothingElse) {
    const std::string original = realFile();
    ASSERT_NE(original.find("squirtorus --root"), std::string::npos);
    std::string text = original;
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    // Right after the last entry, before the empty line that ends the list.
    const std::string last = "- GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\\\n";
    const std::size_t at = original.find(last) + last.size();
    EXPECT_EQ(text, original.substr(0, at) + entry + "\n" + original.substr(at));
    // Once only.
    std::string again = text;
    EXPECT_EQ(addEmberhallToPrograms(again), ProgramsEdit::alreadyListed);
    EXPECT_EQ(again, text);
}

TEST(AddToXScreenSaver, AnEntryTheSettingsProgramRewroteOverTwoLinesIsFound) {
    // After "Save" in Emberhall's settings, xscreensaver-settings wraps the entry:
    //     emberhall --color standard --no-sound  (backslash)
    //       --music --no-sparks                  \n(backslash)
    std::string text = readText(std::string(EMBERHALL_SOURCE_DIR) +
                                "/tests/linux/data/xscreensaver-6.06-emberhall-set.txt");
    ASSERT_NE(text.find("emberhall --color standard --no-sound"), std::string::npos);
    const std::string before = text;
    EXPECT_EQ(addEmberhallToPrograms(text), ProgramsEdit::alreadyListed);
    EXPECT_EQ(text, before);
}

TEST(AddToXScreenSaver, TheFileIsReplacedWithItsModeAndASecondRunChangesNothing) {
    TempDirectory home;
    home.write(".xscreensaver", realFile());
    const std::string path = home.file(".xscreensaver");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    struct stat before {};
    stat(path.c_str(), &before);

    const EditRun first = add(home);
    EXPECT_EQ(first.code, 0);
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.out, "Added Emberhall to the screen savers in " + path +
                             ".\nChoose it in xscreensaver-settings.\n");
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_NE(after.st_ino, before.st_ino); // a new file renamed over the old one
    const std::string written = readText(path);

    const EditRun second = add(home);
    EXPECT_EQ(second.code, 0);
    EXPECT_EQ(second.out,
              "Emberhall is already in the screen savers of " + path + "; nothing changed.\n");
    EXPECT_EQ(readText(path), written);
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(home.path()))
        ++files;
    EXPECT_EQ(files, 2); // .xscreensaver and the defaults of the test
}

TEST(AddToXScreenSaver, CrLfLinesStayCrLfAndTheAddedLineFollowsThem) {
    const std::string original = withCrLf(realFile());
    std::string text = original;
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    const std::string last = "squirtorus --root\t\t\t    \\n\\\r\n";
    const std::size_t at = original.find(last) + last.size();
    EXPECT_EQ(text, original.substr(0, at) + entry + "\r\n" + original.substr(at));
}

TEST(AddToXScreenSaver, AListThatEndsTheFileIsContinuedOntoTheNewLine) {
    // The last entry on the last line, with and without a final newline, with and without its
    // own separator: that line gains what it needs to go on, and keeps its text.
    std::string text = "timeout: 0:05:00\nprograms: qix --root \\n\\\n  maze --root";
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    EXPECT_EQ(text, "timeout: 0:05:00\nprograms: qix --root \\n\\\n  maze --root\\n\\\n" +
                        entry.substr(0, entry.size() - 1));

    text = "programs: qix --root \\n\\\n  maze --root \\n\n";
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    EXPECT_EQ(text, "programs: qix --root \\n\\\n  maze --root \\n\\\n" +
                        entry.substr(0, entry.size() - 1) + "\n");

    // The file ends inside the list, after a backslash.
    text = "programs: qix --root \\n\\\n";
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    EXPECT_EQ(text, "programs: qix --root \\n\\\n" + entry.substr(0, entry.size() - 1) + "\n");

    // An empty list: Emberhall becomes its only entry (the user chose to have no others).
    text = "programs:\n";
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    EXPECT_EQ(text, "programs:\\\n" + entry.substr(0, entry.size() - 1) + "\n");

    // The entry before the closing empty line lacks its separator: ours brings one.
    text = "programs: qix --root \\\n\nlock: False\n";
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    EXPECT_EQ(text, "programs: qix --root \\\n\\n" + entry + "\n\nlock: False\n");
}

TEST(AddToXScreenSaver, EmberhallIsFoundHoweverItsEntryIsWritten) {
    for (const std::string line :
         {"- emberhall --no-sound", "GL: emberhall", "\"Fire\" /usr/libexec/xscreensaver/emberhall",
          "- default-n: \"Emberhall\"  emberhall --color cycle", "emberhall"}) {
        std::string text = "programs: qix --root \\n\\\n  " + line + " \\n\\\n\n";
        const std::string before = text;
        EXPECT_EQ(addEmberhallToPrograms(text), ProgramsEdit::alreadyListed) << line;
        EXPECT_EQ(text, before);
    }
    // A name that merely starts the same, or an argument, is another program.
    for (const std::string line : {"emberhallish", "xflame --emberhall", "\"emberhall\" xflame"}) {
        std::string text = "programs: " + line + " \\n\\\n\n";
        EXPECT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added) << line;
    }
}

TEST(AddToXScreenSaver, OnlyTheLastProgramsResourceCountsAsXScreenSaverReadsIt) {
    std::string text = "programs: emberhall \\n\n# later:\nprograms: qix --root \\n\\\n\n";
    ASSERT_EQ(addEmberhallToPrograms(text), ProgramsEdit::added);
    EXPECT_EQ(text,
              "programs: emberhall \\n\n# later:\nprograms: qix --root \\n\\\n" + entry + "\n\n");
    // Names that only contain the word are other resources.
    text = "xprograms: qix\nprogramsFoo: qix\n";
    EXPECT_EQ(addEmberhallToPrograms(text), ProgramsEdit::noProgramsResource);
}

TEST(AddToXScreenSaver, AFileWithoutAListGetsTheSystemListWithEmberhallAppended) {
    TempDirectory home;
    const std::string original = "# mine\ntimeout: 0:05:00\nlock: False"; // no final newline
    home.write(".xscreensaver", original);
    const EditRun run = add(home);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Added the system's screen savers and Emberhall to " +
                           home.file(".xscreensaver") +
                           ", which listed none.\nChoose it in xscreensaver-settings.\n");
    EXPECT_EQ(readText(home.file(".xscreensaver")),
              original +
                  "\n\nprograms:\t\t\t\t\\\n\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                  "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n" +
                  entry.substr(0, entry.size() - 1) + "\n");
}

TEST(AddToXScreenSaver, NoFileYetIsCreatedWithTheSystemListSoNothingIsHidden) {
    TempDirectory home;
    const EditRun run = add(home);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "Created " + home.file(".xscreensaver") +
                           " with the system's screen savers and Emberhall.\n"
                           "Choose Emberhall in xscreensaver-settings.\n");
    std::string text = readText(home.file(".xscreensaver"));
    EXPECT_NE(text.find("maze --root"), std::string::npos);
    EXPECT_NE(text.find("superquadrics --root"), std::string::npos);
    EXPECT_EQ(addEmberhallToPrograms(text), ProgramsEdit::alreadyListed);
    EXPECT_EQ(text.find("timeout"), std::string::npos); // other settings keep their defaults
}

TEST(AddToXScreenSaver, WithoutFileOrSystemListNothingIsWrittenAndTheMessageSaysWhatToDo) {
    TempDirectory home;
    std::ostringstream out, err;
    EXPECT_EQ(addToXScreenSaver(home.path().string(), home.file("no-defaults"), out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "emberhall: cannot add Emberhall to " + home.file(".xscreensaver") +
                             ": it does not exist, and the system's list of screen savers (" +
                             home.file("no-defaults") +
                             ") cannot be read; open xscreensaver-settings once, then run this "
                             "again\n");
    EXPECT_FALSE(std::filesystem::exists(home.file(".xscreensaver")));
}

TEST(AddToXScreenSaver, FilesThatCannotBeEditedAreLeftAloneWithAOneLineReason) {
    TempDirectory home;
    const std::string path = home.file(".xscreensaver");
    const std::string prefix = "emberhall: cannot add Emberhall to " + path + ": ";

    home.write(".xscreensaver", realFile());
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EditRun run = add(home);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, prefix + "it is read-only; make it writable first\n");
    EXPECT_EQ(readText(path), realFile());
    std::filesystem::remove(path);

    std::filesystem::create_directory(path);
    run = add(home);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, prefix + "it is a directory, not XScreenSaver's settings file\n");
    std::filesystem::remove(path);

    ASSERT_EQ(symlink("nowhere/xscreensaver", path.c_str()), 0);
    run = add(home);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err.rfind(prefix + "it is a symbolic link to a file that cannot be reached", 0),
              0u)
        << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(AddToXScreenSaver, ASymbolicLinkStaysALinkAndTheFileItPointsToIsEdited) {
    TempDirectory home;
    std::filesystem::create_directory(home.path() / "dotfiles");
    home.write("dotfiles/xscreensaver", realFile());
    ASSERT_EQ(symlink("dotfiles/xscreensaver", home.file(".xscreensaver").c_str()), 0);
    const EditRun run = add(home);
    EXPECT_EQ(run.code, 0) << run.err;
    const std::string real = std::filesystem::canonical(home.path() / "dotfiles/xscreensaver");
    EXPECT_EQ(run.out, "Added Emberhall to the screen savers in " + real +
                           ".\nChoose it in xscreensaver-settings.\n");
    EXPECT_TRUE(std::filesystem::is_symlink(home.file(".xscreensaver")));
    std::string text = readText(home.file(".xscreensaver"));
    EXPECT_EQ(addEmberhallToPrograms(text), ProgramsEdit::alreadyListed);
}

TEST(AddToXScreenSaver, WithoutAHomeNothingIsTouched) {
    std::ostringstream out, err;
    EXPECT_EQ(addToXScreenSaver("", out, err), 1);
    EXPECT_EQ(err.str(), "emberhall: cannot add Emberhall to XScreenSaver: HOME is not set\n");
}

TEST(AddToXScreenSaver, TheSystemListIsTakenFromTheAppDefaultsResource) {
    EXPECT_EQ(programsFromSystemDefaults(systemDefaults),
              "programs:\t\t\t\t\\\n\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
              "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\n");
    EXPECT_EQ(programsFromSystemDefaults("*timeout: 0:10:00\n"), "");
}
