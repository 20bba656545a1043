// The page's program. main wires the backend to the portable scene and starts it; from then on
// the page drives it through the functions below (its display loop, its visibility, its sound
// queue, the settings panel and the message editor), all on the page's one thread.
//
// The user's files live in /user of the in-memory file system, found before the defaults that
// are built into the program under /data. The page restores emberhall.dat and fire_data/motd.txt
// from the browser's storage before main and stores them back after each change; it writes
// fire_data/pls.txt for the tracks picked in this visit, which it keeps in /music.
#include <emscripten.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_mixing.h"
#include "audio/wav_reader.h"
#include "base/unique_file.h"
#include "fire/fire_engine.h"
#include "fire/fire_kernels.h"
#include "fire/random_source.h"
#include "seams/data_files.h"
#include "seams/time_names.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"
#include "text/system_glyphs.h"
#include "web/heat_checksum.h"
#include "web/message_lines.h"
#include "web/page_clock.h"
#include "web/panel_settings.h"
#include "web/web_audio.h"
#include "web/web_saver.h"
#include "web/web_system_fonts.h"

namespace {
constexpr const char* userDirectory = "/user";
constexpr const char* defaultDirectory = "/data";

double calendarMilliseconds() {
    return double(std::time(nullptr)) * 1000.0;
}

PageClock& pageClock() {
    static PageClock clock(emscripten_get_now, calendarMilliseconds);
    return clock;
}

WebSaver& saver() {
    static WebSaver run(pageClock());
    return run;
}

// Answers handed to the page as text stay here until the next answer.
const char* answer(std::string text) {
    static std::string kept;
    kept = std::move(text);
    return kept.c_str();
}

std::string readWholeFile(const std::string& path) {
    const UniqueFile file = openFile(path.c_str(), "rb");
    std::string text;
    char buffer[4096];
    for (std::size_t got; file && (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        text.append(buffer, got);
    return text;
}

// The names of the days, the months and the halves of the day in the browser's language, one a
// line: seven days, seven short days, twelve months, twelve short months, then AM and PM.
// Returns their length in UTF-8 (0 when the browser cannot tell), written into `buffer` as far
// as it holds.
// (Written without arrow functions and strict equality: the preprocessor that carries this into
// the script splits "=>" and "===".)
EM_JS(int, browserTimeNames, (char* buffer, int size), {
    try {
        var language = (navigator.languages && navigator.languages[0]) || navigator.language;
        var names = [];
        var add = function(options, dates) {
            options.timeZone = 'UTC';
            var format = new Intl.DateTimeFormat(language, options);
            for (var i = 0; i < dates.length; ++i)
                names.push(format.format(dates[i]));
        };
        var week = [], year = [];
        for (var d = 0; d < 7; ++d)
            week.push(Date.UTC(2023, 0, 1 + d)); // from a Sunday
        for (var m = 0; m < 12; ++m)
            year.push(Date.UTC(2023, m, 15));
        add({weekday : 'long'}, week);
        add({weekday : 'short'}, week);
        add({month : 'long'}, year);
        add({month : 'short'}, year);
        var halves =
            new Intl.DateTimeFormat(language, {hour : 'numeric', hour12 : true, timeZone : 'UTC'});
        [ 9, 21 ].forEach(function(hour) {
            var parts = halves.formatToParts(Date.UTC(2023, 0, 1, hour));
            var period = parts.filter(function(part) { return part.type == 'dayPeriod'; })[0];
            names.push(period ? period.value : (hour < 12 ? 'AM' : 'PM'));
        });
        var text = names.join('\n');
        stringToUTF8(text, buffer, size);
        return lengthBytesUTF8(text);
    } catch (error) {
        return 0;
    }
});

TimeNames pageTimeNames() {
    TimeNames names;
    std::vector<char> buffer(8192);
    const int length = browserTimeNames(buffer.data(), int(buffer.size()));
    if (length <= 0 || std::size_t(length) >= buffer.size())
        return names;
    std::vector<std::string> lines(1);
    for (int i = 0; i < length; ++i) {
        if (buffer[std::size_t(i)] == '\n')
            lines.emplace_back();
        else
            lines.back() += buffer[std::size_t(i)];
    }
    if (lines.size() != 40)
        return names;
    auto next = lines.begin();
    for (auto* list : {&names.days, &names.shortDays})
        for (std::string& name : *list)
            name = *next++;
    for (auto* list : {&names.months, &names.shortMonths})
        for (std::string& name : *list)
            name = *next++;
    names.am = *next++;
    names.pm = *next++;
    return names;
}

// The fire work of one frame, step and render, as the native benchmark measures it: the median
// over nine runs of `frames` frames, in milliseconds per frame.
double fireFrameMilliseconds(int frames) {
    FireEngine engine(FireScene::width, FireScene::height, FireScene::paletteSize);
    engine.blendPalettes(0);
    std::vector<uint32_t> pixels(std::size_t(FireScene::width) * FireScene::height);
    randomSource().seed(1);
    for (int i = 0; i < FireScene::warmUpSteps; ++i)
        engine.step();
    std::vector<double> runs;
    for (int run = 0; run < 9; ++run) {
        const double start = emscripten_get_now();
        for (int i = 0; i < frames; ++i) {
            engine.step();
            engine.render(pixels.data());
        }
        runs.push_back((emscripten_get_now() - start) / std::max(frames, 1));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Makes `count` characters from `first` on, as the scene asks for them (drawn by the browser,
// then given the ember look, in place); answers the milliseconds per character, how many were
// made, and the bytes of the heap in use after them. Characters made before cost nothing again.
std::string glyphTimes(char32_t first, int count) {
    const double start = emscripten_get_now();
    int made = 0;
    for (int i = 0; i < count; ++i) {
        prepareSystemGlyph(first + char32_t(i), FireScene::glyphSize);
        made += systemGlyph(first + char32_t(i), FireScene::glyphSize) != nullptr;
    }
    const double perCharacter = (emscripten_get_now() - start) / std::max(count, 1);
    return std::to_string(perCharacter) + " " + std::to_string(made) + " " +
           std::to_string(mallinfo().uordblks);
}
} // namespace

extern "C" {
// From each display refresh: the steps due, drawn; returns how many.
EMSCRIPTEN_KEEPALIVE int emberhall_draw() {
    return saver().drawDue();
}

// The page was hidden (0) or shown again (1): the scene's clock stands still in between.
EMSCRIPTEN_KEEPALIVE void emberhall_set_visible(int visible) {
    if (visible)
        pageClock().resume();
    else
        pageClock().pause();
}

// The next block of sound for the page's queue: `frames` stereo frames, interleaved.
EMSCRIPTEN_KEEPALIVE const float* emberhall_pull_audio(int frames) {
    return webAudioPull(std::size_t(std::max(frames, 0)));
}

// Bit n set: the panel's control n (standard, yellow, cycling, sound, music, sparks) shows
// checked.
EMSCRIPTEN_KEEPALIVE unsigned emberhall_checked_controls() {
    return checkedControls(currentSettings());
}

// A click in the panel: changes the flags and saves them (the page then restarts the scene).
// Returns the empty text, or why the settings could not be saved (naming the file).
EMSCRIPTEN_KEEPALIVE const char* emberhall_click(int control, int checked) {
    if (control < int(PanelControl::standard) || control > int(PanelControl::sparks))
        return "";
    clickControl(PanelControl(control), checked != 0);
    const SettingsSave save = saveSettings(settingsFileName);
    return answer(save.saved ? "" : save.path + ": " + save.reason);
}

// After a change of the settings, the messages or the playlist: the scene starts anew with them
// (the scene keeps what it was started with for its whole run).
EMSCRIPTEN_KEEPALIVE void emberhall_restart() {
    saver().restart();
}

// The messages now in use, as the editor's rows ("text<TAB>seconds" lines).
EMSCRIPTEN_KEEPALIVE const char* emberhall_message_rows() {
    return answer(pageRowsFromScript(readWholeFile(dataFilePath(messageScriptFileName))));
}

// The editor's rows become the user's message script. Returns the empty text, or why the script
// could not be written.
EMSCRIPTEN_KEEPALIVE const char* emberhall_set_message_rows(const char* rows) {
    const std::string previous = readWholeFile(dataFilePath(messageScriptFileName));
    const std::string script = scriptFromPageRows(rows ? rows : "", previous);
    const std::string path = std::string(userDirectory) + "/" + messageScriptFileName;
    UniqueFile file = openFile(path.c_str(), "wb");
    const bool written =
        file && std::fwrite(script.data(), 1, script.size(), file.get()) == script.size() &&
        std::fclose(file.release()) == 0;
    return answer(written ? "" : path + ": cannot be written");
}

// Whether our own WAV reader plays the file; the page has the browser decode any other.
EMSCRIPTEN_KEEPALIVE int emberhall_reads_wav(const char* path) {
    return openWavDecoder(path) ? 1 : 0;
}

// For the tests: the heat grid's checksum after `steps` steps from `seed`, as the native tool
// prints it.
EMSCRIPTEN_KEEPALIVE const char* emberhall_heat_checksum(unsigned seed, int steps) {
    return answer(heatChecksumText(seed, steps));
}

// The form of the fire's two passes in this build: "simd128", or "blocks" where the browser has
// no WebAssembly SIMD.
EMSCRIPTEN_KEEPALIVE const char* emberhall_fire_kernel() {
    return fireKernelName();
}

// For the benchmark: milliseconds of fire work per frame.
EMSCRIPTEN_KEEPALIVE double emberhall_fire_frame_time(int frames) {
    return fireFrameMilliseconds(frames);
}

// For the benchmark: "milliseconds-per-character made heap-bytes" for `count` characters the
// sheet lacks, from `first` on.
EMSCRIPTEN_KEEPALIVE const char* emberhall_glyph_time(unsigned first, int count) {
    return answer(glyphTimes(char32_t(first), count));
}
}

int main() {
    useDataFiles(DataFiles{{userDirectory, defaultDirectory}});
    useTimeNames(pageTimeNames());
    useSystemFonts(std::make_shared<WebSystemFonts>());
    audioUseHostDelivery(true);
    audioUsePlatform(webAudioPlatform());
    saver().start();
    return 0;
}
