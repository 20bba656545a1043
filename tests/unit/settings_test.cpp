#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "fire/fire_engine.h"
#include "scene/resume_point.h"
#include "seams/data_files.h"
#include "settings/settings.h"
#include "settings/settings_choices.h"
#include "sound/playlist.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Flags = std::array<int32_t, 6>;

Flags currentFlags() {
    return {standardColor(), yellowColor(),   cycleColors(),
            soundEffects(),  musicPlaylist(), randomSparks()};
}

void setFlags(const Flags& flags) {
    setStandardColor(flags[0]);
    setYellowColor(flags[1]);
    setCycleColors(flags[2]);
    setSoundEffects(flags[3]);
    setMusicPlaylist(flags[4]);
    setRandomSparks(flags[5]);
}

constexpr Flags startValues = {1, 0, 0, 1, 0, 0};

// Each test gets a Windows directory of its own, removed afterwards.
class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = dataFiles();
        ASSERT_FALSE(directory.empty());
        useDataFiles(DataFiles{{directory.string()}});
        resetSettings();
    }

    void TearDown() override {
        useDataFiles(previous);
        resetSettings();
    }

    fs::path settingsFile() const { return directory / "emberhall.dat"; }
    fs::path temporaryFile() const { return directory / "emberhall.dat.new"; }

    void writeSettingsFile(const Bytes& bytes) const {
        std::ofstream out(settingsFile(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::optional<Bytes> readSettingsFile() const {
        std::ifstream in(settingsFile(), std::ios::binary);
        if (!in)
            return std::nullopt;
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Loads the bytes as the dialog would, then saves without touching anything.
    Bytes roundTrip(const Bytes& bytes) {
        writeSettingsFile(bytes);
        loadSettings("emberhall.dat");
        EXPECT_TRUE(saveSettings("emberhall.dat").saved);
        return readSettingsFile().value_or(Bytes{});
    }

    DataFiles previous;
    TempDirectory temp;
    const fs::path directory = temp.path();
};

TEST_F(SettingsStore, withoutAFileTheFlagsKeepTheirValues) {
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), startValues);
    setFlags({0, 1, 0, 0, 1, 1});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{0, 1, 0, 0, 1, 1}));
}

TEST_F(SettingsStore, savingTheStartValuesWritesTheKnownSixBytes) {
    const SettingsSave save = saveSettings("emberhall.dat");
    EXPECT_TRUE(save.saved);
    EXPECT_EQ(save.path, settingsFile().string());
    EXPECT_EQ(save.reason, "");
    EXPECT_EQ(readSettingsFile(), (Bytes{1, 0, 0, 1, 0, 0}));
    EXPECT_FALSE(fs::exists(temporaryFile()));
}

TEST_F(SettingsStore, eachByteGoesToItsFlagInFileOrder) {
    writeSettingsFile({1, 1, 0, 0, 0, 0});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{1, 1, 0, 0, 0, 0}));

    writeSettingsFile({0, 0, 1, 0, 1, 1});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{0, 0, 1, 0, 1, 1}));
}

TEST_F(SettingsStore, fileValuesGoBackUnchanged) {
    EXPECT_EQ(roundTrip({1, 1, 0, 0, 0, 0}), (Bytes{1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(roundTrip({0, 0, 0, 0, 0, 0}), (Bytes{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(currentFlags(), (Flags{0, 0, 0, 0, 0, 0}));
}

TEST_F(SettingsStore, aByteOfTwoIsKeptAsTwoAndWrittenBack) {
    writeSettingsFile({2, 0, 0, 2, 0, 0});
    loadSettings("emberhall.dat");
    EXPECT_EQ(standardColor(), 2);
    EXPECT_EQ(soundEffects(), 2);
    EXPECT_TRUE(saveSettings("emberhall.dat").saved);
    EXPECT_EQ(readSettingsFile(), (Bytes{2, 0, 0, 2, 0, 0}));
}

TEST_F(SettingsStore, aShortFileMakesTheMissingFlagsMinusOneWrittenBackAsFF) {
    writeSettingsFile({0, 1, 0});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{0, 1, 0, -1, -1, -1}));
    EXPECT_TRUE(saveSettings("emberhall.dat").saved);
    EXPECT_EQ(readSettingsFile(), (Bytes{0, 1, 0, 0xFF, 0xFF, 0xFF}));
}

TEST_F(SettingsStore, anEmptyFileTurnsEveryOptionOff) {
    writeSettingsFile({});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{-1, -1, -1, -1, -1, -1}));
}

TEST_F(SettingsStore, bytesAfterTheSixthAreIgnoredAndDroppedAtTheNextSave) {
    EXPECT_EQ(roundTrip({0, 0, 1, 1, 1, 0, 0x7E, 0x7F}), (Bytes{0, 0, 1, 1, 1, 0}));
}

TEST_F(SettingsStore, savingKeepsTheLowEightBitsOfEachFlag) {
    setFlags({0x1234, -1, 256, 255, -2, 0x101});
    EXPECT_TRUE(saveSettings("emberhall.dat").saved);
    EXPECT_EQ(readSettingsFile(), (Bytes{0x34, 0xFF, 0x00, 0xFF, 0xFE, 0x01}));
}

TEST_F(SettingsStore, aSaveReplacesTheOldFileWhole) {
    writeSettingsFile({0, 0, 1, 0, 0, 1, 9, 9, 9});
    setFlags({0, 1, 0, 1, 1, 0});
    EXPECT_TRUE(saveSettings("emberhall.dat").saved);
    EXPECT_EQ(readSettingsFile(), (Bytes{0, 1, 0, 1, 1, 0}));
    EXPECT_FALSE(fs::exists(temporaryFile()));
}

// A directory standing where the file must be read is a file that cannot be read: the flags
// keep their values rather than turning off as for an empty file.
TEST_F(SettingsStore, anUnreadableFileLeavesTheFlagsAlone) {
    fs::create_directory(settingsFile());
    setFlags({0, 0, 1, 1, 0, 1});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{0, 0, 1, 1, 0, 1}));
}

TEST_F(SettingsStore, aSaveIntoAMissingDirectoryReportsThePathAndAReason) {
    const fs::path missing = directory / "no-such-directory";
    useDataFiles(DataFiles{{missing.c_str()}});
    const SettingsSave save = saveSettings("emberhall.dat");
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.path, (missing / "emberhall.dat").string());
    EXPECT_NE(save.reason, "");
    EXPECT_FALSE(fs::exists(missing));
}

// When the temporary file cannot be made, the bytes go into the existing file itself, which is
// then cut to six bytes.
TEST_F(SettingsStore, aDirectoryWhereTheTemporaryGoesLeadsToASaveIntoTheFileItself) {
    writeSettingsFile({0, 1, 0, 0, 0, 1, 7, 7, 7});
    fs::create_directory(temporaryFile());
    setFlags({0, 0, 1, 1, 1, 0x1FF});
    const SettingsSave save = saveSettings("emberhall.dat");
    EXPECT_TRUE(save.saved) << save.reason;
    EXPECT_EQ(save.reason, "");
    EXPECT_EQ(readSettingsFile(), (Bytes{0, 0, 1, 1, 1, 0xFF}));
    EXPECT_TRUE(fs::is_directory(temporaryFile())) << "what stood there is left alone";
}

TEST_F(SettingsStore, aBlockedTemporaryAndNoFileIsAFailedSaveThatCreatesNothing) {
    fs::create_directory(temporaryFile());
    const SettingsSave save = saveSettings("emberhall.dat");
    EXPECT_FALSE(save.saved);
    EXPECT_TRUE(save.oldFileKept);
    EXPECT_NE(save.reason.find("cannot create " + temporaryFile().string()), std::string::npos)
        << save.reason;
    EXPECT_EQ(save.reason.find("cannot write into"), std::string::npos) << save.reason;
    EXPECT_FALSE(fs::exists(settingsFile()));
}

TEST_F(SettingsStore, aDirectoryWhereTheFileGoesBlocksTheSaveAndLeavesNoTemporary) {
    fs::create_directory(settingsFile());
    const SettingsSave save = saveSettings("emberhall.dat");
    EXPECT_FALSE(save.saved);
    EXPECT_EQ(save.path, settingsFile().string());
    EXPECT_NE(save.reason.find("cannot replace the old file"), std::string::npos) << save.reason;
    EXPECT_NE(save.reason.find("cannot write into " + settingsFile().string()), std::string::npos)
        << save.reason;
    EXPECT_TRUE(fs::is_directory(settingsFile()));
    EXPECT_FALSE(fs::exists(temporaryFile()));
}

TEST_F(SettingsStore, aPathLongerThan259CharactersIsTheEmptyPath) {
    // 245 characters, "/" and "emberhall.dat" make 259, which with the terminator fill the 260
    // bytes; one more does not fit.
    const std::string fits(245, 'd');
    useDataFiles(DataFiles{{fits.c_str()}});
    EXPECT_EQ(dataFilePath("emberhall.dat"), fits + "/emberhall.dat");

    const std::string tooLong(246, 'd');
    useDataFiles(DataFiles{{tooLong.c_str()}});
    EXPECT_EQ(dataFilePath("emberhall.dat"), "");

    setFlags({0, 1, 0, 0, 0, 0});
    loadSettings("emberhall.dat");
    EXPECT_EQ(currentFlags(), (Flags{0, 1, 0, 0, 0, 0}));
    const SettingsSave save = saveSettings("emberhall.dat");
    EXPECT_FALSE(save.saved);
    EXPECT_NE(save.reason, "");
}

TEST_F(SettingsStore, aDirectoryThatCannotBeHadGivesTheEmptyPath) {
    useDataFiles(DataFiles{{""}});
    EXPECT_EQ(dataFilePath("emberhall.dat"), "");
}

// What every settings dialog shows and stores: a control is checked only for a flag of exactly 1,
// and a click stores only its own control's flags, so untouched ones go back as they came.
TEST_F(SettingsStore, aDialogMarksOnlyFlagsOfExactlyOneAndShowingChangesNothing) {
    setFlags({2, 0xFF, 1, 1, 2, -1});
    const SettingsMarks marks = marksOf(currentSettings());
    EXPECT_EQ(marks.color, FireColor::cycle);
    EXPECT_TRUE(marks.soundEffects);
    EXPECT_FALSE(marks.musicPlaylist || marks.randomSparks);
    EXPECT_EQ(currentFlags(), (Flags{2, 0xFF, 1, 1, 2, -1}));
}

TEST_F(SettingsStore, aDialogClickStoresOnlyItsOwnFlags) {
    setFlags({2, 0xFF, -1, 2, 0xFF, -1});
    const auto yellow = chooseColor(yellowChoice);
    ASSERT_TRUE(yellow);
    EXPECT_EQ((Flags{yellow->standard, yellow->yellow, yellow->cycle}), (Flags{0, 1, 0}));
    EXPECT_EQ(currentFlags(), (Flags{0, 1, 0, 2, 0xFF, -1}));
    ASSERT_TRUE(chooseColor(cycleChoice));
    for (int outside : {-1, 3})
        EXPECT_FALSE(chooseColor(outside)) << outside;
    takeCheckState(Effect::musicPlaylist, 1);
    takeCheckState(Effect::randomSparks, 0);
    EXPECT_EQ(currentFlags(), (Flags{0, 0, 1, 2, 1, 0}));
    // An undecided box, or any state but 0 and 1, stores nothing.
    for (long long state : {2LL, -1LL, 0x100000001LL})
        takeCheckState(Effect::soundEffects, state);
    EXPECT_EQ(soundEffects(), 2);
}

TEST(DataFilePath, joinsTheDirectoryAndTheNameWithASlashChangingNothing) {
    const DataFiles previous = dataFiles();
    useDataFiles(DataFiles{{"C:\\WinDows"}});
    EXPECT_EQ(dataFilePath("emberhall.dat"), "C:\\WinDows/emberhall.dat");
    EXPECT_EQ(dataFilePath("fire_data/pls.txt"), "C:\\WinDows/fire_data/pls.txt");
    EXPECT_EQ(dataFilePath("Fire_Fonts/Font.TGA"), "C:\\WinDows/Fire_Fonts/Font.TGA");
    useDataFiles(previous);
}
} // namespace

TEST(DataFilePath, takesTheFirstDirectoryThatHoldsTheFileElseTheFirstThatFits) {
    const DataFiles previous = dataFiles();
    TempDirectory own, shared;
    shared.write("fire_data/motd.txt", "shared");
    const std::string tooLong(300, 'x');
    useDataFiles(DataFiles{{tooLong, own.path().string(), shared.path().string()}, 260});
    EXPECT_EQ(dataFilePath("fire_data/motd.txt"), shared.file("fire_data/motd.txt"));
    own.write("fire_data/motd.txt", "own");
    EXPECT_EQ(dataFilePath("fire_data/motd.txt"), own.file("fire_data/motd.txt"));
    // Nowhere to be found: the path in the first directory that fits, which opening then misses.
    EXPECT_EQ(dataFilePath("fire_data/pls.txt"), own.file("fire_data/pls.txt"));
    useDataFiles(DataFiles{{tooLong}, 260});
    EXPECT_EQ(dataFilePath("fire_data/pls.txt"), "");
    useDataFiles(DataFiles{});
    EXPECT_EQ(dataFilePath("emberhall.dat"), "") << "no data directory at all";
    useDataFiles(previous);
}

// A FIFO without a writer (a share that went offline) would hold its open for ever, and a device
// such as /dev/zero never ends: every data file that is no regular file counts as missing, so
// these return at once instead of hanging the test.
TEST(DataFiles, onlyRegularFilesAreReadAnythingElseIsMissing) {
    const DataFiles previous = dataFiles();
    TempDirectory dir;
    dir.write("real.txt", "HI 1 2 3");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.path() / "zero");
    std::filesystem::create_symlink(dir.path() / "real.txt", dir.path() / "link.txt");
    EXPECT_TRUE(isRegularFile(dir.file("real.txt").c_str()));
    EXPECT_TRUE(isRegularFile(dir.file("link.txt").c_str())) << "a link to a file is the file";
    for (const char* name : {"fifo", "zero", ".", "absent", ""}) {
        const std::string path = name == std::string("") ? "" : dir.file(name);
        EXPECT_FALSE(isRegularFile(path.c_str())) << name;
        resetSettings();
        useDataFiles(DataFiles{{dir.path().string()}});
        loadSettings(name);
        useDataFiles(previous);
        EXPECT_EQ(soundEffects(), 1) << name << ": the settings keep their start values";
        FireEngine engine(1024, 768, 640);
        EXPECT_EQ(engine.loadFont(path.c_str(), 50), -1) << name;
        EXPECT_FALSE(engine.openScript(path.c_str())) << name;
        EXPECT_EQ(engine.nextMessage()->count(), 0) << name;
        Playlist playlist;
        EXPECT_FALSE(playlist.open(path.c_str())) << name;
        EXPECT_EQ(fileDigest(path.c_str()), 0u) << name;
    }
    resetSettings();
}

TEST(FireColorChoice, theFirstColourFlagThatIsExactlyOneDecides) {
    auto choice = [](int32_t standard, int32_t yellow, int32_t cycle) {
        Settings s;
        s.standardColor = standard;
        s.yellowColor = yellow;
        s.cycleColors = cycle;
        return fireColorOf(s);
    };
    EXPECT_EQ(choice(1, 1, 1), FireColor::standard);
    EXPECT_EQ(choice(2, 1, 1), FireColor::yellow);
    EXPECT_EQ(choice(0, -1, 1), FireColor::cycle);
    EXPECT_EQ(choice(0, 0, 255), FireColor::none);
    EXPECT_EQ(choice(-1, -1, -1), FireColor::none);
}
