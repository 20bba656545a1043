// One sound among the copies of the saver on a display, and the resume file between runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "linux/common/shared_scene.h"
#include "test_support.h"

namespace {
Environment environmentOf(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}
} // namespace

TEST(SharedPlaces, oneLockPerDisplayInTheRuntimeFolderAndTheResumeFileInTheCache) {
    TempDirectory dir;
    const std::string runtime = dir.file("run"), home = dir.file("home");
    std::filesystem::create_directories(runtime);
    const auto env = environmentOf({{"XDG_RUNTIME_DIR", runtime}, {"HOME", home}});
    const SharedPlaces screen0 = sharedPlaces(env, ":1.0");
    // The screens of one display share the sound; another display or a Wayland socket does not.
    EXPECT_EQ(screen0.leadLock, runtime + "/emberhall/lead-:1");
    EXPECT_EQ(sharedPlaces(env, ":1.1").leadLock, screen0.leadLock);
    EXPECT_EQ(sharedPlaces(env, ":1").leadLock, screen0.leadLock);
    EXPECT_EQ(sharedPlaces(env, ":10").leadLock, runtime + "/emberhall/lead-:10");
    EXPECT_EQ(sharedPlaces(env, "wayland-1").leadLock, runtime + "/emberhall/lead-wayland-1");
    EXPECT_EQ(sharedPlaces(env, "../x/y").leadLock, runtime + "/emberhall/lead-.._x_y");
    EXPECT_EQ(screen0.resume, home + "/.cache/emberhall/resume");
    struct stat info {};
    ASSERT_EQ(stat((home + "/.cache/emberhall").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // No runtime folder (MATE strips it, and /run/user may be missing): the lock goes into the
    // cache, named after the machine too, as a home folder may be shared between machines.
    const SharedPlaces noRuntime = sharedPlaces(environmentOf({{"XDG_CACHE_HOME", dir.file("cache")}}), ":0");
    EXPECT_EQ(noRuntime.leadLock.rfind(dir.file("cache") + "/emberhall/lead-", 0), 0u);
    EXPECT_TRUE(noRuntime.leadLock.ends_with("-:0"));
    EXPECT_EQ(noRuntime.resume, dir.file("cache") + "/emberhall/resume");
    // Nowhere at all: no lock (this copy plays alone) and no resume file.
    const SharedPlaces nowhere = sharedPlaces(environmentOf({{"HOME", "relative"}}), ":0");
    EXPECT_EQ(nowhere.leadLock, "");
    EXPECT_EQ(nowhere.resume, "");
}

TEST(LeadLock, oneCopyLeadsUntilItEndsHoweverItEnds) {
    TempDirectory dir;
    const std::string path = dir.file("lead");
    {
        LeadLock first(path), second(path);
        EXPECT_TRUE(first.tryToLead());
        EXPECT_FALSE(second.tryToLead());
        EXPECT_FALSE(second.leading());
    } // the first lets go as it ends
    LeadLock third(path);
    EXPECT_TRUE(third.tryToLead());

    // A copy killed outright: the kernel lets go of its lock.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        LeadLock killed(path + "2");
        const char held = killed.tryToLead() ? 'y' : 'n';
        (void)!write(ready[1], &held, 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    LeadLock waiting(path + "2");
    EXPECT_FALSE(waiting.tryToLead());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(waiting.tryToLead());
    close(ready[0]);
    close(ready[1]);

    // No place for a lock, or one that cannot be opened: the copy plays on its own.
    EXPECT_TRUE(LeadLock("").tryToLead());
    EXPECT_TRUE(LeadLock(dir.file("missing/lead")).tryToLead());
}

TEST(ResumeFile, isReadBackAndAnythingElseIsTheTop) {
    TempDirectory dir;
    const std::string path = dir.file("resume");
    const ResumePoint point{0x1111, 40, 0x2222, {7, 12.5}};
    ASSERT_TRUE(writeResumeFile(path, point));
    const ResumePoint read = readResumeFile(path);
    EXPECT_EQ(read.scriptDigest, 0x1111u);
    EXPECT_EQ(read.nextMessage, 40);
    EXPECT_EQ(read.playlistDigest, 0x2222u);
    EXPECT_EQ(read.music.trackOffset, 7);
    EXPECT_DOUBLE_EQ(read.music.seconds, 12.5);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary file is left";

    const auto isTop = [](const ResumePoint& p) {
        return p.scriptDigest == 0 && p.nextMessage == 0 && p.playlistDigest == 0 &&
               p.music.trackOffset == 0 && p.music.seconds == 0;
    };
    EXPECT_TRUE(isTop(readResumeFile(dir.file("missing"))));
    EXPECT_TRUE(isTop(readResumeFile("")));
    EXPECT_TRUE(isTop(readResumeFile(dir.path().string()))) << "a directory";
    dir.write("damaged", formatResumePoint(point).substr(0, 30));
    EXPECT_TRUE(isTop(readResumeFile(dir.file("damaged"))));
    dir.write("huge", formatResumePoint(point) + std::string(5000, '\n'));
    EXPECT_TRUE(isTop(readResumeFile(dir.file("huge"))));
    EXPECT_FALSE(writeResumeFile(dir.file("missing/resume"), point));
    EXPECT_FALSE(writeResumeFile("", point));
}
