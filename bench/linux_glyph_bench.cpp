// Characters from the system's fonts on Linux (fontconfig and FreeType, loaded at the first):
// the time to make one (the first of the process, then the others; the font's drawing alone,
// with the ember look, and through the store), the start's delay for a script of 200 Han
// characters, the longest frame while a message of 20 comes up, and the memory kept. Each
// measure runs in a process of its own, as each run of the saver does. Times are given as the
// clock on the wall sees them and as the processor time of the thread that waits (in brackets):
// on a busy machine the first grows with what other programs do, the second does not.
//   build/native/bench/linux_glyph_bench [DATA_DIR]   (the project's data/ by default)
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "linux/fonts/linux_system_fonts.h"
#include "scene/fire_scene.h"
#include "seams/clock.h"
#include "seams/data_files.h"
#include "text/ember_look.h"
#include "text/system_glyphs.h"
#include "text/text_decoding.h"

namespace {
using Steady = std::chrono::steady_clock;
constexpr int cell = FireScene::glyphSize;
constexpr int hanCount = 200;
// The strokes' growth that the store gives the ember look (text/system_glyphs.cpp).
constexpr float storeGrowth = 0.75f;
constexpr const char* twenty = "新年快乐恭喜发财万事-如意身体健康心想事成";

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// How often this thread has given way: waiting for something (a lock), or taken off the
// processor for another program.
struct Switches {
    long waited = 0, preempted = 0;
};
Switches switches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return {usage.ru_nvcsw, usage.ru_nivcsw};
}

// Milliseconds since it was made, on the wall and of this thread's processor time.
struct Stopwatch {
    Steady::time_point wallStart = Steady::now();
    double cpuStart = threadCpuMs();
    double wall() const {
        return std::chrono::duration<double, std::milli>(Steady::now() - wallStart).count();
    }
    double cpu() const { return threadCpuMs() - cpuStart; }
};

// Resident memory in kB: all of it, and the part backed by files (the font files' pages that
// FreeType has read through its mapping, which the system may drop and read again).
struct Resident {
    long total = 0, files = 0;
};
Resident resident() {
    Resident r;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            r.total = std::atol(line.c_str() + 6);
        else if (line.rfind("RssFile:", 0) == 0)
            r.files = std::atol(line.c_str() + 8);
    }
    return r;
}

// 200 Han characters spread over the common block, simple and dense ones alike.
std::u32string hanCharacters() {
    std::u32string text;
    for (int k = 0; k < hanCount; ++k)
        text += char32_t(0x4E00 + 97 * k);
    return text;
}

class DrivenClock : public Clock {
  public:
    uint32_t now = 0;
    uint32_t tickCount() override { return now; }
    uint32_t calendarSeconds() override { return 1000; }
};

// A data folder with the project's glyph sheet and the given message script.
std::string dataFolder(const std::string& data, const std::string& script) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("linux_glyph_bench." + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "fire_fonts");
    std::filesystem::create_directories(folder / "fire_data");
    std::filesystem::copy_file(data + "/fire_fonts/font.tga", folder / "fire_fonts/font.tga",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / "fire_data/motd.txt") << script;
    return folder.string();
}

// Runs `measure` in a child process, so that it finds the font libraries unloaded.
template <typename Measure> void inOwnProcess(Measure measure) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        measure();
        std::fflush(stdout);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

// The font's drawing and the ember look, in this thread: the first character of the process
// (the libraries, the configuration, the sorted fonts, the face), then 200 others.
void glyphTimes() {
    std::shared_ptr<SystemFonts> fonts = linuxSystemFonts(std::getenv);
    const GlyphPlacement placement; // the core's, for cells of 50 pixels
    std::vector<uint8_t> coverage;
    std::vector<float> shares;
    double font = 0, look = 0;
    const auto make = [&](char32_t c) {
        const Stopwatch drawing;
        const bool drawn = fonts->drawCharacter(c, placement, coverage);
        font = drawing.cpu();
        shares.assign(coverage.begin(), coverage.end());
        for (float& s : shares)
            s /= 255.0f;
        const Stopwatch looking;
        if (drawn)
            emberCell(shares, cell, 0.0f, storeGrowth);
        look = looking.cpu();
        return drawn;
    };
    const Resident before = resident();
    if (!make(U'新')) {
        std::printf("no font of this machine has 新: nothing to measure\n");
        return;
    }
    const Resident after = resident();
    std::printf("one character, processor time: the first of the process %.2f ms (font) + %.2f ms "
                "(ember look)",
                font, look);
    double fontSum = 0, fontMax = 0, lookSum = 0;
    int made = 0;
    for (const char32_t c : hanCharacters()) {
        if (!make(c))
            continue;
        ++made;
        fontSum += font, lookSum += look;
        fontMax = std::max(fontMax, font);
    }
    std::printf("; each of %d more %.3f ms (longest %.3f) + %.2f ms\n", made, fontSum / made,
                fontMax, lookSum / made);
    std::printf("  resident memory after the first: %+ld kB, %+ld kB of it font files' pages\n",
                after.total - before.total, after.files - before.files);
}

// The same through the store, which makes characters on a thread of its own; the memory kept.
void storeTimesAndMemory() {
    const Resident before = resident();
    useSystemFonts(linuxSystemFonts(std::getenv));
    const std::u32string han = hanCharacters();
    const Stopwatch first;
    prepareSystemGlyph(han.front(), cell);
    systemGlyphsReady(han.substr(0, 1), cell, Steady::now() + std::chrono::seconds(10));
    const double firstMs = first.wall();
    const Resident afterFirst = resident();
    const Stopwatch rest;
    prepareSystemGlyphs(han, cell, [](char32_t) { return false; });
    systemGlyphsReady(han, cell, Steady::now() + std::chrono::seconds(60));
    const double restMs = rest.wall();
    int kept = 0;
    for (const char32_t c : han)
        kept += systemGlyph(c, cell) != nullptr;
    const Resident after = resident();
    std::printf("through the store, wall clock: the first %.1f ms, then %.2f ms each\n", firstMs,
                restMs / (hanCount - 1));
    std::printf("resident memory: %+ld kB (%+ld kB of font files' pages) at the first character "
                "(libraries,\n  configuration, face, the store's thread, one cell); %+ld kB (%+ld "
                "kB of font files' pages)\n  for %d more cells, whose pixels are %d kB\n",
                afterFirst.total - before.total, afterFirst.files - before.files,
                after.total - afterFirst.total, after.files - afterFirst.files, kept - 1,
                (kept - 1) * cell * cell * 4 / 1000);
}

// FireScene::start on `script`, then frames 15 ms apart on the driven clock for `seconds`: the
// start's delay, the frames' times, and how many frames waited (a frame must never wait for a
// font) or lost the processor to another program.
void sceneTimes(const std::string& data, const char* what, const std::string& script,
                double seconds) {
    useDataFiles(DataFiles{{dataFolder(data, script)}});
    useSystemFonts(linuxSystemFonts(std::getenv));
    DrivenClock clock;
    FireScene scene(clock);
    Settings quiet;
    quiet.soundEffects = 0;
    const Stopwatch starting;
    scene.start(quiet, {}, false);
    const double startWall = starting.wall(), startCpu = starting.cpu();
    std::vector<uint32_t> frame(std::size_t(FireScene::width) * FireScene::height);
    std::vector<double> walls, cpus;
    int waited = 0, preempted = 0; // frames
    for (int i = 0; i < int(seconds * 1000 / 15); ++i) {
        clock.now += 15;
        const Switches before = switches();
        const Stopwatch drawing;
        scene.drawFrame(frame.data());
        walls.push_back(drawing.wall());
        cpus.push_back(drawing.cpu());
        const Switches after = switches();
        waited += after.waited > before.waited;
        preempted += after.preempted > before.preempted;
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    std::printf("%s:\n  start %.0f ms (%.0f); %zu frames: median %.2f ms (%.2f), longest %.2f ms "
                "(%.2f);\n  frames that waited %d, taken off the processor %d\n",
                what, startWall, startCpu, walls.size(), walls[walls.size() / 2],
                cpus[cpus.size() / 2], walls.back(), cpus.back(), waited, preempted);
    scene.stop();
    std::filesystem::remove_all(dataFiles().directories.front());
}
} // namespace

int main(int argc, char** argv) {
    const std::string data = argc > 1 ? argv[1] : EMBERHALL_SOURCE_DIR "/data";
    std::printf("session language: \"%s\"\n", sessionFontLanguage(std::getenv).c_str());
    inOwnProcess(glyphTimes);
    inOwnProcess(storeTimesAndMemory);

    std::string hanScript;
    const std::string han = encodeUtf8(hanCharacters());
    for (int m = 0; m < hanCount / 20; ++m)
        hanScript += han.substr(std::size_t(m) * 60, 30) + "-" +
                     han.substr(std::size_t(m) * 60 + 30, 30) + " 262 200 4000\n";
    inOwnProcess([&] {
        sceneTimes(data, "a script of ASCII only (for comparison)", "HELLO-WORLD 262 200 4000\n",
                   8);
    });
    inOwnProcess([&] {
        sceneTimes(
            data, "a script of 200 Han characters, 20 a message (the start waits for the first 20)",
            hanScript, 8);
    });
    // The 20 characters are made on the store's thread while the fire runs and the first
    // message is held; they come up at 7.5 s, after its burst.
    inOwnProcess([&] {
        sceneTimes(data, "an ASCII message, then 20 Han characters, made meanwhile",
                   std::string("HELLO 262 200 250\n") + twenty + " 262 200 4000\n", 10);
    });
    return 0;
}
