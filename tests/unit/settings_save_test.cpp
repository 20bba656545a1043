// Saving the settings as a user without rights to the directory that holds them, for real: the
// save runs in a child process that, when the tests run as root (as in CI), becomes the
// unprivileged user 65534 ("nobody") first, so the file system's own permission checks apply.
// A test run by an ordinary user is bound by them already and saves as itself.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "seams/data_files.h"
#include "settings/settings.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uid_t unprivilegedId = 65534;

// In a child process: becomes the unprivileged user when root; false when that failed.
bool dropRights() {
    return ::geteuid() != 0 ||
           (::setgroups(0, nullptr) == 0 &&
            ::setresgid(unprivilegedId, unprivilegedId, unprivilegedId) == 0 &&
            ::setresuid(unprivilegedId, unprivilegedId, unprivilegedId) == 0);
}

// Runs `child` in a child process and returns its exit status, -1 when it did not end normally.
template <typename Child> int inChild(Child child) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(child());
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status)
                                                                               : -1;
}

// saveSettings as the unprivileged user, reported through a pipe as one byte saved, one byte
// oldFileKept, then the reason (far below the size a pipe takes in one write).
std::optional<SettingsSave> saveAsUser() {
    int report[2];
    if (::pipe(report) != 0)
        return std::nullopt;
    const int status = inChild([&] {
        if (!dropRights())
            return 1;
        const SettingsSave save = saveSettings("emberhall.dat");
        const std::string message =
            std::string(1, save.saved ? '1' : '0') + (save.oldFileKept ? '1' : '0') + save.reason;
        return ::write(report[1], message.data(), message.size()) == ssize_t(message.size()) ? 0 : 1;
    });
    ::close(report[1]);
    char buffer[1024];
    const ssize_t length = ::read(report[0], buffer, sizeof buffer);
    ::close(report[0]);
    if (status != 0 || length < 2)
        return std::nullopt;
    SettingsSave save;
    save.saved = buffer[0] == '1';
    save.oldFileKept = buffer[1] == '1';
    save.reason.assign(buffer + 2, std::size_t(length - 2));
    return save;
}

ino_t inodeOf(const fs::path& path) {
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A Windows directory inside a temporary one that the user may enter. The settings file and
// the directory get the permissions each case needs; both belong to the one who runs the tests.
class SettingsSaveAsUser : public ::testing::Test {
  protected:
    void SetUp() override {
        if (inChild([] { return dropRights() ? 0 : 1; }) != 0)
            GTEST_SKIP() << "this process cannot become user " << unprivilegedId;
        ASSERT_FALSE(temp.path().empty());
        ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
        ASSERT_TRUE(fs::create_directory(windows));
        previous = dataFiles();
        useDataFiles(DataFiles{{windows.string()}});
        resetSettings();
        setYellowColor(1);
        setStandardColor(0);
        setRandomSparks(1);
    }

    void TearDown() override {
        ::chmod(windows.c_str(), 0755); // so that the temporary directory can be removed
        useDataFiles(previous);
        resetSettings();
    }

    void writeFile(const Bytes& bytes, mode_t mode) const {
        temp.write("windows/emberhall.dat", bytes);
        ASSERT_EQ(::chmod(settingsFile.c_str(), mode), 0);
    }
    Bytes fileBytes() const { return temp.read("windows/emberhall.dat"); }
    void directoryMode(mode_t mode) const { ASSERT_EQ(::chmod(windows.c_str(), mode), 0); }

    SettingsSave save() {
        const std::optional<SettingsSave> result = saveAsUser();
        if (!result)
            ADD_FAILURE() << "the save as user " << unprivilegedId << " did not run";
        return result.value_or(SettingsSave{});
    }

    const Bytes newBytes = {0, 1, 0, 1, 0, 1};
    DataFiles previous;
    TempDirectory temp;
    const fs::path windows = temp.path() / "windows";
    const fs::path settingsFile = windows / "emberhall.dat";
    const fs::path temporaryFile = windows / "emberhall.dat.new";
};

TEST_F(SettingsSaveAsUser, aDirectoryThatRefusesNewFilesGetsTheBytesInTheWritableFileItself) {
    writeFile({1, 0, 0, 1, 0, 0, 9, 9}, 0666);
    directoryMode(0555);
    const ino_t before = inodeOf(settingsFile);
    const SettingsSave result = save();
    EXPECT_TRUE(result.saved) << result.reason;
    EXPECT_EQ(result.reason, "");
    EXPECT_EQ(fileBytes(), newBytes) << "six bytes, the two after them cut off";
    EXPECT_EQ(inodeOf(settingsFile), before) << "the same file, written in place";
    EXPECT_FALSE(fs::exists(temporaryFile));
}

TEST_F(SettingsSaveAsUser, aDirectoryThatAllowsNewFilesStillReplacesTheFileWhole) {
    writeFile({1, 0, 0, 1, 0, 0}, 0666);
    directoryMode(0777);
    const ino_t before = inodeOf(settingsFile);
    const SettingsSave result = save();
    EXPECT_TRUE(result.saved) << result.reason;
    EXPECT_EQ(fileBytes(), newBytes);
    EXPECT_NE(inodeOf(settingsFile), before) << "a new file renamed over the old one";
    EXPECT_FALSE(fs::exists(temporaryFile));
}

TEST_F(SettingsSaveAsUser, whenDirectoryAndFileBothRefuseTheSaveFailsNamingBothAndChangesNothing) {
    const Bytes old = {1, 0, 0, 1, 0, 0};
    writeFile(old, 0444);
    directoryMode(0555);
    const SettingsSave result = save();
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.oldFileKept);
    EXPECT_NE(result.reason.find("cannot create " + temporaryFile.string()), std::string::npos)
        << result.reason;
    EXPECT_NE(result.reason.find("cannot write into " + settingsFile.string()), std::string::npos)
        << result.reason;
    EXPECT_NE(result.reason.find("Permission denied"), std::string::npos) << result.reason;
    EXPECT_EQ(fileBytes(), old);
    EXPECT_FALSE(fs::exists(temporaryFile));
}

// A write into the file that breaks off (here a full device behind the file's name) is a
// failure that may have changed the file, and says so.
TEST(SettingsSaveInPlace, aWriteThatFailsPartWayIsReportedAsTouchingTheOldFile) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TempDirectory temp;
    fs::create_symlink("/dev/full", temp.path() / "emberhall.dat");
    fs::create_directory(temp.path() / "emberhall.dat.new"); // the usual save cannot begin
    const DataFiles previous = dataFiles();
    useDataFiles(DataFiles{{temp.path().string()}});
    const SettingsSave result = saveSettings("emberhall.dat");
    useDataFiles(previous);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(result.oldFileKept);
    EXPECT_NE(result.reason.find("into " + (temp.path() / "emberhall.dat").string()),
              std::string::npos)
        << result.reason;
    EXPECT_NE(result.reason.find("No space left on device"), std::string::npos) << result.reason;
    EXPECT_TRUE(fs::is_symlink(temp.path() / "emberhall.dat"));
}
} // namespace
