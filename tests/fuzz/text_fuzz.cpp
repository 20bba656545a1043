// Feeds thousands of random and mutated glyph sheets and message scripts to the loaders, then
// lays out, draws and moves what they give, on frames of many sizes. Built with the address and
// undefined-behaviour sanitizers, so any read or write outside a buffer, or any undefined
// arithmetic, stops the run with a report. The inputs come from a fixed seed, so a failure
// repeats; a different seed may be given as the first argument.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "text/glyph_particles.h"
#include "text/message_cycle.h"

namespace {

constexpr int sheetCases = 2000;
constexpr int scriptCases = 2000;

using Bytes = std::vector<uint8_t>;

// What the run reached, printed at the end so a change that stops it reaching anything shows.
struct Coverage {
    int loaded = 0;
    int refused = 0;
    int framesDrawnOn = 0;
    int messagesRead = 0;
};
Coverage coverage;

class Fuzzer {
  public:
    Fuzzer(uint32_t seed, std::filesystem::path dir) : rng_(seed), dir_(std::move(dir)) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool oneIn(int n) { return pick(0, n - 1) == 0; }
    uint8_t byte() { return uint8_t(pick(0, 255)); }

    int32_t position() {
        switch (pick(0, 5)) {
        case 0:
            return INT32_MAX - pick(0, 100);
        case 1:
            return INT32_MIN + pick(0, 100);
        case 2:
            return pick(-100000, 100000);
        default:
            return pick(-120, 1100);
        }
    }

    int32_t glyphSize() {
        switch (pick(0, 6)) {
        case 0:
            return pick(-60, 0);
        case 1:
            return INT32_MAX;
        case 2:
            return INT32_MIN;
        case 3:
            return pick(1, 8);
        default:
            return 50;
        }
    }

    Bytes sheet() {
        // Mostly sheets of a sensible size; now and then a long thin strip, or a size so large
        // it must be refused.
        int width = pick(0, 420);
        int height = pick(0, 90);
        if (oneIn(10)) {
            width = pick(4097, 65535);
            height = oneIn(2) ? pick(0, 3) : pick(4097, 65535);
        }
        Bytes b(18, 0);
        b[0] = oneIn(6) ? byte() : 0;
        b[2] = oneIn(3) ? byte() : uint8_t(2 | (oneIn(2) ? 8 : 0));
        b[12] = uint8_t(width);
        b[13] = uint8_t(width >> 8);
        b[14] = uint8_t(height);
        b[15] = uint8_t(height >> 8);
        b[16] = oneIn(5) ? byte() : 32;
        b[17] = byte();
        // Usually the whole image, often cut short, sometimes with bytes to spare.
        size_t pixelBytes = size_t(width) * size_t(height) * 4;
        if (pixelBytes > 100000)
            pixelBytes = size_t(pick(0, 100000));
        else if (oneIn(3))
            pixelBytes = size_t(pick(0, int(pixelBytes)));
        else if (oneIn(5))
            pixelBytes += size_t(pick(1, 64));
        // Pixel bytes four at a time from one draw, a quarter of the pixels transparent black.
        for (size_t i = 0; i < pixelBytes; i += 4) {
            const uint32_t v = uint32_t(rng_());
            const bool black = (v & 3) == 0;
            for (size_t k = 0; k < 4 && i + k < pixelBytes; ++k)
                b.push_back(black && k < 3 ? 0 : uint8_t(v >> (8 * k)));
        }
        mutate(b);
        return b;
    }

    void mutate(Bytes& b) {
        const int flips = oneIn(2) ? 0 : pick(1, 8);
        for (int i = 0; i < flips && !b.empty(); ++i)
            b[size_t(pick(0, int(b.size()) - 1))] ^= uint8_t(1 << pick(0, 7));
        if (oneIn(6))
            b.resize(size_t(pick(0, int(std::min<size_t>(b.size(), 40)))));
    }

    std::string text() {
        static const char layout[] = "-*+ ";
        std::string t;
        const int length = oneIn(20) ? pick(0, 1500) : pick(0, 40);
        for (int i = 0; i < length; ++i) {
            switch (pick(0, 5)) {
            case 0:
                t += layout[pick(0, 3)];
                break;
            case 1:
                t += char(byte());
                break;
            default:
                t += char(pick('A', 'z'));
                break;
            }
        }
        return t;
    }

    std::string script() {
        std::string s;
        const int tokens = pick(0, 30);
        for (int i = 0; i < tokens; ++i) {
            switch (pick(0, 7)) {
            case 0:
                s += std::to_string(std::uniform_int_distribution<int64_t>()(rng_));
                break;
            case 1:
                s += std::string(size_t(pick(1000, 3000)), char(pick('A', 'z')));
                break;
            case 2:
                s += oneIn(2) ? "-" : "+";
                break;
            case 3:
                s += char(byte());
                break;
            case 4:
                s += text();
                break;
            default:
                s += std::to_string(position());
                break;
            }
            static const char* blanks[] = {" ", "\t", "\n", "\r\n", "  \n\n", "\v\f"};
            s += blanks[pick(0, 5)];
        }
        return s;
    }

    std::string file(const char* name) const { return (dir_ / name).string(); }

  private:
    std::mt19937 rng_;
    std::filesystem::path dir_;
};

class FakeClock : public Clock {
  public:
    uint32_t tickCount() override { return now += 500; }
    uint32_t calendarSeconds() override { return now; }
    uint32_t now = 0;
};

void writeFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
}

// Draws and moves the list a few frames on, as a burst would.
void exercise(FireEngine& engine, ParticleList& list, std::vector<uint32_t>& frame) {
    for (int step = 0; step < 3; ++step) {
        engine.drawParticles(list, frame.data());
        engine.moveParticles(list);
    }
}

bool fuzzSheet(Fuzzer& f) {
    const Bytes bytes = f.sheet();
    writeFile(f.file("font.tga"), bytes.data(), bytes.size());
    const int32_t width = f.pick(0, 300);
    const int32_t height = f.pick(0, 200);
    FireEngine engine(width, height, 640);
    std::vector<uint32_t> frame(size_t(width) * size_t(height), 0);
    const int32_t result = engine.loadFont(f.file("font.tga").c_str(), f.glyphSize());
    ++(result == 1 ? coverage.loaded : coverage.refused);
    if (result != 1 && result != -2) {
        std::fprintf(stderr, "loadFont gave %d\n", result);
        return false;
    }
    if (engine.fontLoaded() &&
        engine.fontPixels().size() != size_t(engine.fontWidth()) * size_t(engine.fontHeight())) {
        std::fprintf(stderr, "sheet of %zu pixels for %d x %d\n", engine.fontPixels().size(),
                     engine.fontWidth(), engine.fontHeight());
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        auto list = engine.layoutMessage(f.position(), f.position(), f.text().c_str());
        exercise(engine, *list, frame);
        engine.drawGlyph(f.position(), f.position(), char(f.byte()), frame.data());
    }
    coverage.framesDrawnOn += std::ranges::any_of(frame, [](uint32_t p) { return p != 0; });
    return true;
}

bool fuzzScript(Fuzzer& f) {
    const std::string script = f.script();
    writeFile(f.file("motd.txt"), script.data(), script.size());
    FireEngine engine(f.oneIn(10) ? 1024 : f.pick(1, 200), f.oneIn(10) ? 768 : f.pick(1, 150), 640);
    engine.loadFont(f.file("sheet.tga").c_str(), 50);
    std::vector<uint32_t> frame(size_t(engine.width()) * size_t(engine.height()), 0);

    FakeClock clock;
    MessageCycle cycle;
    startMessageCycle(cycle, engine,
                      f.oneIn(10) ? f.file("absent.txt").c_str() : f.file("motd.txt").c_str(),
                      clock);
    const int frames = f.pick(1, 12);
    for (int i = 0; i < frames; ++i) {
        clock.now += uint32_t(f.pick(0, 9000));
        stepMessageCycle(cycle, engine, frame.data(), clock);
        coverage.messagesRead += cycle.current && cycle.current->count() > 0;
    }
    coverage.framesDrawnOn += std::ranges::any_of(frame, [](uint32_t p) { return p != 0; });
    releaseMessage(cycle);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const uint32_t seed = argc > 1 ? uint32_t(std::strtoul(argv[1], nullptr, 10)) : 20240601u;
    std::string pattern = (std::filesystem::temp_directory_path() / "emberhall-fuzz-XXXXXX");
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    Fuzzer f(seed, pattern);
    randomSource().seed(seed);

    // A well-formed sheet of 58 cells for the script runs, so their letters really draw.
    Bytes goodSheet(18, 0);
    goodSheet[2] = 2;
    goodSheet[12] = uint8_t(2900 & 0xFF);
    goodSheet[13] = uint8_t(2900 >> 8);
    goodSheet[14] = 50;
    goodSheet[16] = 32;
    for (int i = 0; i < 2900 * 50; ++i)
        goodSheet.insert(goodSheet.end(), {uint8_t(i), uint8_t(i >> 3), 0x80, 0xFF});
    writeFile(f.file("sheet.tga"), goodSheet.data(), goodSheet.size());

    int failed = 0;
    for (int i = 0; i < sheetCases; ++i)
        failed += fuzzSheet(f) ? 0 : 1;
    for (int i = 0; i < scriptCases; ++i)
        failed += fuzzScript(f) ? 0 : 1;

    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    std::printf("sheets loaded %d, refused %d; frames drawn on %d; frames with a message %d\n",
                coverage.loaded, coverage.refused, coverage.framesDrawnOn, coverage.messagesRead);
    const int total = sheetCases + scriptCases;
    std::printf("%d passed, %d failed\n", total - failed, failed);
    return failed == 0 ? 0 : 1;
}
