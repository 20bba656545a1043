// The autostart entry of --add-to-session.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "linux/session/session_autostart.h"
#include "test_support.h"

TEST(SessionAutostart, writesAnEntryThatRunsIdleAndTakesItAwayAgain) {
    TempDirectory home;
    const std::string path = idleAutostartPath([&](const char* name) -> const char* {
        static std::string value;
        value = home.path().string();
        return std::string(name) == "HOME" ? value.c_str() : nullptr;
    });
    EXPECT_EQ(path, home.file(".config/autostart/emberhall-idle.desktop"));
    std::ostringstream out, err;
    EXPECT_EQ(addIdleAutostart(path, {"/opt/my saver/emberhall", "--data-dir", "/data"}, 300000, out, err), 0);
    std::ifstream in(path);
    const std::string entry((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    // A path with a blank is quoted, as desktop entries want it.
    EXPECT_NE(entry.find("\nExec=\"/opt/my saver/emberhall\" --data-dir /data --idle 5\n"), std::string::npos) << entry;
    EXPECT_EQ(idleAutostartTime(path), 300000u);
    EXPECT_NE(out.str().find("after 5 minutes"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");

    EXPECT_EQ(addIdleAutostart(path, {"/usr/bin/emberhall"}, 45000, out, err), 0); // replaced
    EXPECT_EQ(idleAutostartTime(path), 45000u);
    EXPECT_EQ(removeIdleAutostart(path, out, err), 0);
    EXPECT_FALSE(idleAutostartTime(path));
    std::ostringstream again;
    EXPECT_EQ(removeIdleAutostart(path, again, err), 0);
    EXPECT_NE(again.str().find("nothing to remove"), std::string::npos);

    // A folder that cannot be made: one line naming it, exit code 1.
    home.write("blocked", std::string("a file, not a folder"));
    std::ostringstream refused;
    EXPECT_EQ(addIdleAutostart(home.file("blocked/autostart/emberhall-idle.desktop"), {"emberhall"}, 60000,
                               out, refused), 1);
    EXPECT_NE(refused.str().find(home.file("blocked")), std::string::npos) << refused.str();
    EXPECT_EQ(addIdleAutostart("", {"emberhall"}, 60000, out, refused), 1);
}

// The settings window changes the time of an entry it found and keeps what it cannot show: the
// command as written, --data-dir and all; with no program to start it writes nothing.
TEST(SessionAutostart, anotherTimeKeepsTheCommandAsWrittenAndNoProgramIsRefused) {
    TempDirectory home;
    const std::string path = home.file("autostart/emberhall-idle.desktop");
    std::ostringstream out, err;
    ASSERT_EQ(addIdleAutostart(path, {"/opt/my saver/emberhall", "--data-dir", "/data"}, 30000, out, err), 0);
    const std::optional<IdleAutostart> found = readIdleAutostart(path);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->command, "\"/opt/my saver/emberhall\" --data-dir /data");
    EXPECT_EQ(found->idleMilliseconds, 30000u);
    ASSERT_EQ(writeIdleAutostart(path, found->command, 120000, out, err), 0);
    auto entry = [&] {
        std::ifstream in(path);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string written = entry();
    EXPECT_NE(written.find("\nExec=\"/opt/my saver/emberhall\" --data-dir /data --idle 2\n"), std::string::npos)
        << written;
    std::ostringstream refused;
    EXPECT_EQ(writeIdleAutostart(path, "", 60000, out, refused), 1);
    EXPECT_NE(refused.str().find("no program"), std::string::npos) << refused.str();
    EXPECT_EQ(entry(), written);
}
