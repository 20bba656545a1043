// Characters from the system's fonts under Windows (or Wine): the time GDI takes to draw one
// (the first of the process, then the others), the same through the store with the ember look,
// the longest frame while a message of 20 Han characters comes up, the start's delay for a
// script of 200 of them, and the memory kept. Run it with the project's data folder, e.g. under
// Wine:  wine build/windows/system_glyph_bench.exe data
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/fire_scene.h"
#include "seams/clock.h"
#include "seams/data_files.h"
#include "text/system_glyphs.h"
#include "text/text_decoding.h"
#include "windows/gdi_system_fonts.h"

namespace {
constexpr int cell = FireScene::glyphSize;
constexpr int glyphsTimed = 50;
constexpr int framesWatched = 3000; // 45 seconds at the saver's 15 ms, at most

class TickClock final : public Clock {
  public:
    uint32_t tickCount() override { return GetTickCount(); }
    uint32_t calendarSeconds() override { return uint32_t(std::time(nullptr)); }
};

double now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Distinct characters of the CJK Unified Ideographs of Unicode 1.1 (U+4E00 ... U+9FA5), which
// every Chinese font has, spread over them (97 and their count, 20902, have no common factor);
// `from` counts characters already used.
std::u32string hanCharacters(int count, int from) {
    std::u32string text;
    for (int k = 0; k < count; ++k)
        text += char32_t(0x4E00 + 97 * (from + k) % 20902);
    return text;
}

void printMemory(const char* when) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    std::printf("memory %-36s working set %6.1f MB, committed %6.1f MB\n", when,
                double(counters.WorkingSetSize) / 1048576.0,
                double(counters.PagefileUsage) / 1048576.0);
}

void timeGdiGlyphs() {
    GdiSystemFonts fonts;
    const GlyphPlacement placement{};
    std::vector<uint8_t> coverage;
    std::vector<double> warm;
    const std::u32string han = hanCharacters(glyphsTimed + 1, 0);
    for (const char32_t c : han) {
        const double start = now();
        const bool drawn = fonts.drawCharacter(c, placement, coverage);
        warm.push_back(now() - start);
        if (!drawn)
            std::printf("U+%04X: no font has it\n", unsigned(c));
    }
    std::printf("GDI, one Han glyph:            first %.2f ms, then median %.3f ms, max %.3f ms\n",
                warm.front(), median({warm.begin() + 1, warm.end()}),
                *std::max_element(warm.begin() + 1, warm.end()));
    const double start = now();
    const bool found = fonts.drawCharacter(0x0378, placement, coverage); // unassigned
    std::printf("GDI, a character no font has:  %.2f ms (every family tried%s)\n", now() - start,
                found ? "; yet one drew it" : "");
}

void timeStoreGlyphs() {
    resetSystemGlyphsForTesting();
    useSystemFonts(std::make_shared<GdiSystemFonts>());
    std::vector<double> times;
    for (const char32_t c : hanCharacters(glyphsTimed + 1, 100)) {
        const double start = now();
        prepareSystemGlyph(c, cell);
        systemGlyphsReady(std::u32string(1, c), cell,
                          std::chrono::steady_clock::now() + std::chrono::seconds(10));
        times.push_back(now() - start);
    }
    std::printf("store with the ember look:     first %.2f ms, then median %.3f ms\n",
                times.front(), median({times.begin() + 1, times.end()}));
    const std::u32string batch = hanCharacters(200, 500);
    printMemory("before 200 more made by the store");
    const double start = now();
    for (const char32_t c : batch)
        prepareSystemGlyph(c, cell);
    systemGlyphsReady(batch, cell, std::chrono::steady_clock::now() + std::chrono::seconds(60));
    const double took = now() - start;
    printMemory("after them (the store keeps each)");
    std::printf("store, 200 asked at once:      all made in %.1f ms\n", took);
}

void writeScript(const std::filesystem::path& data, const std::string& script) {
    std::ofstream(data / "fire_data" / "motd.txt", std::ios::binary) << script;
}

std::string hanLine(int from, int x, int y, int hold) {
    return encodeUtf8(hanCharacters(20, from)) + " " + std::to_string(x) + " " + std::to_string(y) +
           " " + std::to_string(hold) + "\n";
}

// Whether the row of cells at `y` shows letters: glyph pixels carry blue, the fire has none.
bool lettersAt(const std::vector<uint32_t>& pixels, int y) {
    const auto from = pixels.begin() + std::ptrdiff_t(y) * FireScene::width;
    return std::any_of(from, from + std::ptrdiff_t(cell) * FireScene::width,
                       [](uint32_t p) { return (p & 0xFF) != 0; });
}

bool allMade(const std::u32string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char32_t c) { return systemGlyph(c, cell) != nullptr; });
}

// A script of 200 Han characters, 20 a message: the first at row 400, the second at row 100
// (above, where the first's falling letters never pass). The start waits for the first's; the
// other 180 are made on the store's thread while the frames go on, and the second message comes
// up after the first has held and burst.
void timeFrames(const std::filesystem::path& data) {
    std::string script = hanLine(0, 12, 400, 1000) + hanLine(20, 12, 100, 5000);
    for (int k = 2; k < 10; ++k)
        script += hanLine(20 * k, 12, 100, 5000);
    writeScript(data, script);
    resetSystemGlyphsForTesting();
    useSystemFonts(std::make_shared<GdiSystemFonts>());
    TickClock clock;
    FireScene scene(clock);
    Settings quiet;
    quiet.soundEffects = 0;
    scene.start(quiet, {}, false);
    std::vector<uint32_t> pixels(std::size_t(FireScene::width) * FireScene::height);
    std::vector<double> frames;
    int madeBy = -1, upAt = -1;
    while (int(frames.size()) < framesWatched && (upAt < 0 || int(frames.size()) < upAt + 66)) {
        const double start = now();
        scene.drawFrame(pixels.data());
        frames.push_back(now() - start);
        if (madeBy < 0 && allMade(hanCharacters(200, 0)))
            madeBy = int(frames.size()) - 1;
        if (upAt < 0 && lettersAt(pixels, 100))
            upAt = int(frames.size()) - 1;
        Sleep(DWORD(std::max(0.0, 15.0 - frames.back())));
    }
    scene.stop();
    const auto longest = [&](int from, int to) {
        from = std::clamp(from, 0, int(frames.size()));
        to = std::clamp(to, from, int(frames.size()));
        return from == to ? 0.0 : *std::max_element(frames.begin() + from, frames.begin() + to);
    };
    std::printf("frames while 180 Han are made:     longest %.2f ms (all made by frame %d)\n",
                longest(0, madeBy + 1), madeBy);
    std::printf("frames as 20 Han come up (+-1 s):  longest %.2f ms (up at frame %d); median of "
                "all %.2f ms\n",
                longest(upAt - 66, upAt + 66), upAt, median(frames));
}

double timeStart(const std::filesystem::path& data, const std::string& script) {
    writeScript(data, script);
    resetSystemGlyphsForTesting();
    useSystemFonts(std::make_shared<GdiSystemFonts>());
    TickClock clock;
    FireScene scene(clock);
    Settings quiet;
    quiet.soundEffects = 0;
    const double start = now();
    scene.start(quiet, {}, false);
    const double took = now() - start;
    scene.stop();
    return took;
}

void timeStarts(const std::filesystem::path& data) {
    std::string script;
    for (int k = 0; k < 10; ++k)
        script += hanLine(300 + 20 * k, 12, 100, 5000);
    std::vector<double> latinStarts, hanStarts;
    for (int run = 0; run < 3; ++run) {
        latinStarts.push_back(timeStart(data, "FIRE 100 100 5000\n"));
        hanStarts.push_back(timeStart(data, script));
    }
    const double latin = median(latinStarts), han = median(hanStarts);
    // The part of that which is the wait for the first message's 20, asked for with the rest.
    resetSystemGlyphsForTesting();
    useSystemFonts(std::make_shared<GdiSystemFonts>());
    const double start = now();
    prepareSystemGlyphs(hanCharacters(200, 300), cell, [](char32_t) { return false; });
    systemGlyphsReady(hanCharacters(20, 300), cell,
                      std::chrono::steady_clock::now() + std::chrono::seconds(10));
    const double firstTwenty = now() - start;
    int ready = 0;
    for (const char32_t c : hanCharacters(200, 300))
        ready += systemGlyph(c, cell) != nullptr;
    std::printf("start, Latin script (median of 3):  %.1f ms\n", latin);
    std::printf("start, 200 Han in 10 messages:     %.1f ms (%.1f ms more; %d of 200 made by the "
                "end of the last)\n",
                han, han - latin, ready);
    std::printf("  the first message's 20 alone, with 180 more asked: %.1f ms\n", firstTwenty);
}

// A data folder of the bench's own: the project's glyph sheet and a script written per run.
std::filesystem::path makeDataFolder(const std::filesystem::path& project) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() /
        ("emberhall-glyph-bench-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(data / "fire_fonts");
    std::filesystem::create_directories(data / "fire_data");
    std::filesystem::copy_file(project / "fire_fonts" / "font.tga",
                               data / "fire_fonts" / "font.tga",
                               std::filesystem::copy_options::overwrite_existing);
    return data;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: system_glyph_bench DATA_FOLDER (holding fire_fonts/font.tga)\n");
        return 2;
    }
    printMemory("at the start");
    std::filesystem::path data;
    try {
        data = makeDataFolder(argv[1]);
    } catch (const std::filesystem::filesystem_error& error) {
        std::fprintf(stderr, "system_glyph_bench: %s\n", error.what());
        return 1;
    }
    useDataFiles(DataFiles{{data.string()}});
    timeGdiGlyphs();
    printMemory("after 52 drawn by GDI (fonts loaded)");
    timeStoreGlyphs();
    timeFrames(data);
    timeStarts(data);
    printMemory("at the end (no cell is ever freed)");
    std::error_code ignored;
    std::filesystem::remove_all(data, ignored);
    return 0;
}
