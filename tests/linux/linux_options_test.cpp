// The Linux saver's command line, its data directories, the stretch of its picture and the sleep
// between its frames.
#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <csignal>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "linux/common/frame_pacing.h"
#include "linux/common/linux_data_files.h"
#include "linux/common/options.h"
#include "linux/common/picture_scaler.h"

namespace {
LinuxOptions parsed(const std::vector<std::string>& words) {
    const ParsedOptions result = parseOptions(words);
    EXPECT_EQ(result.error, "") << words.front();
    return result.options;
}

std::string errorOf(const std::vector<std::string>& words) { return parseOptions(words).error; }

Environment environmentOf(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}
} // namespace

TEST(LinuxOptions, takeOneDashOrTwoAsHacksAreCalled) {
    EXPECT_EQ(parsed({"-window-id", "0x3a00007"}).windowId, 0x3a00007ul);
    EXPECT_EQ(parsed({"--window-id", "12345"}).windowId, 12345ul);
    EXPECT_EQ(parsed({"--window-id", "0X1F"}).windowId, 0x1Ful);
    EXPECT_TRUE(parsed({"-root"}).root);
    EXPECT_TRUE(parsed({"--fullscreen"}).fullscreen);
    EXPECT_TRUE(parsed({"-help"}).help);
    EXPECT_TRUE(parsed({"--add-to-xscreensaver"}).addToXScreenSaver);
    EXPECT_EQ(parsed({"--data-dir", "data/"}).dataDirectory, "data/");
    const LinuxOptions o = parsed({"--color", "cycle", "-no-sound", "--music", "-sparks"});
    EXPECT_EQ(o.color, FireColor::cycle);
    EXPECT_EQ(o.sound, false);
    EXPECT_EQ(o.music, true);
    EXPECT_EQ(o.sparks, true);
    // The last word of a pair wins.
    EXPECT_EQ(parsed({"--sound", "--no-sound"}).sound, false);
}

TEST(LinuxOptions, refuseWhatTheyDoNotUnderstandWithAClearReason) {
    EXPECT_NE(errorOf({"--bogus"}).find("--bogus"), std::string::npos);
    EXPECT_NE(errorOf({"stray"}), "");
    EXPECT_NE(errorOf({"--window-id"}), "");
    for (const char* id : {"0x", "zz", "-5", "0", "12abc", "0x1g", "99999999999999999999999"})
        EXPECT_NE(errorOf({"--window-id", id}), "") << id;
    EXPECT_NE(errorOf({"--color", "blue"}), "");
    EXPECT_NE(errorOf({"--color"}), "");
    EXPECT_NE(errorOf({"--data-dir"}), "");
    EXPECT_NE(errorOf({"--data-dir", ""}), "");
}

TEST(LinuxOptions, theWindowIsChosenAsScreenSaverHostsExpect) {
    using Kind = WindowPlan::Kind;
    // --window-id before the host's variable, the variable before --root.
    WindowPlan plan = planWindow(parsed({"--window-id", "0x10", "--root"}), "0x20");
    EXPECT_EQ(plan.kind, Kind::given);
    EXPECT_EQ(plan.window, 0x10ul);
    plan = planWindow(parsed({"--root"}), "0x20");
    EXPECT_EQ(plan.kind, Kind::given);
    EXPECT_EQ(plan.window, 0x20ul);
    EXPECT_EQ(planWindow(parsed({"--root"}), nullptr).kind, Kind::root);
    // A variable that names no window is as good as none.
    EXPECT_EQ(planWindow(parsed({"--root"}), "garbage").kind, Kind::root);
    plan = planWindow(parsed({"--fullscreen"}), "");
    EXPECT_EQ(plan.kind, Kind::own);
    EXPECT_TRUE(plan.fullscreen);
}

TEST(LinuxOptions, lieOverTheSettingsFileForThisRunOnly) {
    Settings file; // standard, sound
    file.randomSparks = 2;
    Settings run = withOptions(file, parsed({"--color", "yellow"}));
    EXPECT_EQ(fireColorOf(run), FireColor::yellow);
    EXPECT_EQ(run.standardColor, 0);
    EXPECT_EQ(run.cycleColors, 0);
    EXPECT_EQ(run.randomSparks, 2) << "options not given keep the file's value";
    run = withOptions(file, parsed({"--no-sound", "--music", "--sparks"}));
    EXPECT_EQ(run.soundEffects, 0);
    EXPECT_EQ(run.musicPlaylist, 1);
    EXPECT_EQ(run.randomSparks, 1);
    EXPECT_EQ(fireColorOf(run), FireColor::standard);
}

// The preview of the settings window: whatever file the run finds, it shows what the window's
// flags would give once saved, 02 and FF (off) and no colour at all (a black fire) included.
TEST(LinuxOptions, optionsShowingASetOfFlagsOverrideAnyFile) {
    const Settings shown[] = {{1, 1, 0, 1, 0, 0}, {2, 0xFF, 1, 2, 1, 0xFF}, {0, 0, 0, -1, 0, 1}};
    const Settings files[] = {{}, {0, 1, 0, 0, 1, 1}};
    for (const Settings& flags : shown) {
        const std::vector<std::string> words = optionsShowing(flags);
        ASSERT_EQ(words.at(0), "--fullscreen");
        for (const Settings& file : files) {
            const Settings run = withOptions(file, parsed(words));
            EXPECT_EQ(fireColorOf(run), fireColorOf(flags)) << words[2];
            EXPECT_EQ(isOn(run.soundEffects), isOn(flags.soundEffects)) << words[3];
            EXPECT_EQ(isOn(run.musicPlaylist), isOn(flags.musicPlaylist)) << words[4];
            EXPECT_EQ(isOn(run.randomSparks), isOn(flags.randomSparks)) << words[5];
        }
    }
    EXPECT_EQ(optionsShowing({0, 0, 0, -1, 0, 1}),
              (std::vector<std::string>{"--fullscreen", "--color", "none", "--no-sound",
                                        "--no-music", "--sparks"}));
}

TEST(LinuxDataFiles, theUsersOwnComeFirstThenTheCheckoutThenTheSystems) {
    const DataFiles files = linuxDataFiles(
        environmentOf({{"XDG_CONFIG_HOME", "/home/ann/conf/"}, {"HOME", "/home/ann"},
                       {"XDG_DATA_DIRS", "/opt/share:relative/share::/usr/share/"}}),
        std::string("/src/emberhall/data/"));
    EXPECT_EQ(files.directories,
              (std::vector<std::string>{"/home/ann/conf/emberhall", "/src/emberhall/data",
                                        "/opt/share/emberhall", "/usr/share/emberhall"}));
    EXPECT_GT(files.pathLimit, 260u);
}

TEST(LinuxDataFiles, fallBackToTheDefaultsOfTheBaseDirectories) {
    DataFiles files = linuxDataFiles(environmentOf({{"HOME", "/home/bo"}, {"XDG_CONFIG_HOME", "rel"}}),
                                     std::nullopt);
    EXPECT_EQ(files.directories,
              (std::vector<std::string>{"/home/bo/.config/emberhall", "/usr/local/share/emberhall",
                                        "/usr/share/emberhall"}));
    // No home at all (a stripped environment): only the system's data.
    files = linuxDataFiles(environmentOf({}), std::nullopt);
    EXPECT_EQ(files.directories,
              (std::vector<std::string>{"/usr/local/share/emberhall", "/usr/share/emberhall"}));
}

TEST(PictureScaler, stretchesByNearestNeighbourOverTheWholeTarget) {
    // 4 x 2 source, each pixel its own value.
    const std::vector<uint32_t> source = {1, 2, 3, 4, 5, 6, 7, 8};
    PictureScaler scaler;
    scaler.configure(4, 2, 8, 3, PixelLayout{});
    std::vector<uint32_t> target(10 * 3, 0xDEAD); // stride 10: two columns never written
    scaler.scale(source.data(), target.data(), 10);
    const std::vector<uint32_t> row0 = {1, 1, 2, 2, 3, 3, 4, 4, 0xDEAD, 0xDEAD};
    const std::vector<uint32_t> row2 = {5, 5, 6, 6, 7, 7, 8, 8, 0xDEAD, 0xDEAD};
    // Each target pixel takes the source pixel under its middle: the middle of target row 1
    // lies at source row 1.0, the start of the second row.
    EXPECT_EQ(std::vector<uint32_t>(target.begin(), target.begin() + 10), row0);
    EXPECT_EQ(std::vector<uint32_t>(target.begin() + 10, target.begin() + 20), row2);
    EXPECT_EQ(std::vector<uint32_t>(target.begin() + 20, target.end()), row2);
    // Shrunk to half: the middles fall on source columns 1 and 3 of source row 1.
    scaler.configure(4, 2, 2, 1, PixelLayout{});
    std::vector<uint32_t> small(2);
    scaler.scale(source.data(), small.data(), 2);
    EXPECT_EQ(small, (std::vector<uint32_t>{6, 8}));
    // The same size is a copy.
    scaler.configure(4, 2, 4, 2, PixelLayout{});
    std::vector<uint32_t> same(8);
    scaler.scale(source.data(), same.data(), 4);
    EXPECT_EQ(same, source);
}

TEST(PictureScaler, writesTheVisualsOwnLayoutAndAnOpaqueAlpha) {
    const std::vector<uint32_t> source = {0x00112233};
    PictureScaler scaler;
    std::vector<uint32_t> out(1);
    scaler.configure(1, 1, 1, 1, PixelLayout{0x000000FF, 0x0000FF00, 0x00FF0000, 0});
    scaler.scale(source.data(), out.data(), 1);
    EXPECT_EQ(out[0], 0x00332211u) << "blue-green-red";
    scaler.configure(1, 1, 1, 1, PixelLayout{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
    scaler.scale(source.data(), out.data(), 1);
    EXPECT_EQ(out[0], 0xFF112233u) << "a 32-bit visual's alpha says opaque";
    // Channels of 5, 6 and 5 bits keep their top bits.
    scaler.configure(1, 1, 1, 1, PixelLayout{0xF800, 0x07E0, 0x001F, 0});
    const std::vector<uint32_t> white = {0x00FFFFFF};
    scaler.scale(white.data(), out.data(), 1);
    EXPECT_EQ(out[0], 0xFFFFu);
}

TEST(LinuxOptions, idleTimesAreMinutesOrSecondsFromASecondToADay) {
    EXPECT_EQ(parsed({"--idle", "5"}).idleMilliseconds, 300000u);
    EXPECT_EQ(parsed({"--idle", "5m"}).idleMilliseconds, 300000u);
    EXPECT_EQ(parsed({"-idle", "30s"}).idleMilliseconds, 30000u);
    EXPECT_EQ(parsed({"--add-to-session", "1440"}).addToSession, 86400000u);
    EXPECT_TRUE(parsed({"--overlay"}).overlay);
    EXPECT_TRUE(parsed({"--remove-from-session"}).removeFromSession);
    for (const char* bad : {"0", "0s", "1441", "86401s", "-5", "5h", "", "m", "5 ", "9999999"})
        EXPECT_NE(errorOf({"--idle", bad}), "") << bad;
    EXPECT_NE(errorOf({"--idle"}), "");
    EXPECT_EQ(idleTimeText(300000), "5");
    EXPECT_EQ(idleTimeText(30000), "30s");
    EXPECT_EQ(idleTimeText(90000), "90s");
}

// Only a stop signal ends the sleep early: another signal's interruption sleeps on to the same
// end, whatever errno held before (clock_nanosleep returns its error instead of setting it).
TEST(FramePacing, aSleepInterruptedByAnotherSignalSleepsOnToItsEnd) {
    struct sigaction quiet = {}, before = {};
    quiet.sa_handler = [](int) {}; // without SA_RESTART: the sleep is interrupted
    sigaction(SIGUSR1, &quiet, &before);
    std::thread interrupter([sleeper = pthread_self()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pthread_kill(sleeper, SIGUSR1);
    });
    errno = 0;
    const auto start = std::chrono::steady_clock::now();
    sleepMilliseconds(200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    interrupter.join();
    sigaction(SIGUSR1, &before, nullptr);
}
