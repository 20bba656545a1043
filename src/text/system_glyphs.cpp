#include "text/system_glyphs.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "base/no_destructor.h"
#include "seams/system_fonts.h"
#include "text/ember_look.h"

namespace {
// How much heavier the strokes are made, in cell pixels: enough for a hot core, not so much
// that the dense strokes of a Han character run together.
constexpr float strokeGrowth = 0.75f;
// The characters' ink at the cell's size: an em of 40 pixels of the 50, standing on the sheet's
// baseline (row 40), inside a margin that keeps the heavier strokes, their outline and one
// free pixel within the cell, as the sheet's letters keep one.
constexpr float emShare = 0.8f;
constexpr float baselineShare = 0.8f;
constexpr float margin = strokeGrowth + emberOutlineWidth + 1.25f; // in cell pixels

struct Glyph {
    enum class State { asked, made, missing } state = State::asked;
    std::unique_ptr<uint32_t[]> pixels; // set once, never changed or freed
};

struct Store {
    std::mutex lock;
    std::condition_variable changed; // a character was asked for, or one was made
    std::shared_ptr<SystemFonts> fonts;
    std::unordered_map<uint64_t, Glyph> glyphs;
    std::deque<uint64_t> queue;
    std::size_t kept = 0;
    bool workerRunning = false;
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // The page has no threads, and there std::thread's failure aborts rather than throws.
    bool inPlace = true;
#else
    bool inPlace = false; // no thread to be had: characters are made when asked for
#endif
    uint64_t generation = 0; // one more at each reset: a late answer of an earlier one is dropped
};

Store& store() {
    // Never destroyed: the maker's thread may still be drawing when the process ends.
    static NoDestructor<Store> instance;
    return *instance;
}

uint64_t keyOf(char32_t character, int cell) {
    return uint64_t(uint32_t(cell)) << 32 | character;
}

bool within(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

std::unique_ptr<uint32_t[]> makeGlyph(SystemFonts& fonts, char32_t character, int cell) {
    GlyphPlacement placement;
    placement.size = cell * emberFineness;
    const float size = float(placement.size);
    placement.em = size * emShare;
    placement.baseline = size * baselineShare;
    placement.left = placement.top = margin * emberFineness;
    placement.right = placement.bottom = size - margin * emberFineness;
    std::vector<uint8_t> coverage;
    if (!fonts.drawCharacter(character, placement, coverage) ||
        coverage.size() != std::size_t(placement.size) * std::size_t(placement.size))
        return nullptr;
    std::vector<float> shares(coverage.size());
    std::transform(coverage.begin(), coverage.end(), shares.begin(),
                   [](uint8_t c) { return float(c) / 255.0f; });
    // The strokes of a font's bold are thinner than the sheet's: they are made a little heavier,
    // and the ramp is stretched so that they still glow white in the middle.
    const std::vector<uint32_t> pixels = emberCell(shares, cell, 0.0f, strokeGrowth);
    if (std::none_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }))
        return nullptr;
    auto kept = std::make_unique<uint32_t[]>(pixels.size());
    std::copy(pixels.begin(), pixels.end(), kept.get());
    return kept;
}

// Makes one asked-for character; the caller holds the lock, which is let go while the font
// draws.
void makeNext(std::unique_lock<std::mutex>& guard) {
    Store& s = store();
    const uint64_t key = s.queue.front();
    s.queue.pop_front();
    const std::shared_ptr<SystemFonts> fonts = s.fonts;
    const uint64_t generation = s.generation;
    guard.unlock();
    std::unique_ptr<uint32_t[]> pixels =
        fonts ? makeGlyph(*fonts, char32_t(key & 0xFFFFFFFF), int(key >> 32)) : nullptr;
    guard.lock();
    if (s.generation != generation)
        return;
    Glyph& glyph = s.glyphs[key];
    glyph.state = pixels ? Glyph::State::made : Glyph::State::missing;
    glyph.pixels = std::move(pixels);
    s.changed.notify_all();
}

void makerLoop() {
    Store& s = store();
    std::unique_lock guard(s.lock);
    for (;;) {
        s.changed.wait(guard, [&] { return !s.queue.empty(); });
        makeNext(guard);
    }
}
} // namespace

void useSystemFonts(std::shared_ptr<SystemFonts> fonts) {
    std::lock_guard guard(store().lock);
    store().fonts = std::move(fonts);
}

bool drawnFromSystemFonts(char32_t c) {
    if (c <= 0x20 || within(c, 0x7F, 0xA0) || c > 0x10FFFF || within(c, 0xD800, 0xDFFF))
        return false;
    // Blanks, format characters and combining marks, which have no ink of their own.
    if (within(c, 0x0300, 0x036F) || c == 0x00AD || within(c, 0x1AB0, 0x1AFF) ||
        within(c, 0x1DC0, 0x1DFF) || within(c, 0x2000, 0x200F) || within(c, 0x2028, 0x202F) ||
        within(c, 0x205F, 0x206F) || within(c, 0x20D0, 0x20FF) || c == 0x3000 ||
        within(c, 0xFE00, 0xFE0F) || within(c, 0xFE20, 0xFE2F) || c == 0xFEFF ||
        within(c, 0xFFF0, 0xFFFF) || within(c, 0xE0000, 0xE0FFF))
        return false;
    // Right to left: Hebrew, Arabic, Syriac, Thaana, N'Ko and the rest, and their forms.
    if (within(c, 0x0590, 0x08FF) || within(c, 0xFB1D, 0xFDFF) || within(c, 0xFE70, 0xFEFE) ||
        within(c, 0x10800, 0x10FFF) || within(c, 0x1E800, 0x1EFFF))
        return false;
    // Letters that join or stack: the Indic scripts to Sinhala, Tibetan, Myanmar, Khmer,
    // Mongolian and their neighbours, conjoining Hangul jamo, and Thai and Lao vowel and tone
    // marks.
    if (within(c, 0x0900, 0x0DFF) || within(c, 0x0F00, 0x109F) || within(c, 0x1100, 0x11FF) ||
        within(c, 0x1700, 0x18AF) || within(c, 0x1900, 0x1AAF) || within(c, 0x1B00, 0x1C4F) ||
        within(c, 0xA800, 0xA8FF) || within(c, 0xA900, 0xAAFF) || within(c, 0xABC0, 0xABFF) ||
        within(c, 0xD7B0, 0xD7FF) || within(c, 0x11000, 0x11FFF) || c == 0x0E31 ||
        within(c, 0x0E34, 0x0E3A) || within(c, 0x0E47, 0x0E4E) || c == 0x0EB1 ||
        within(c, 0x0EB4, 0x0EBC) || within(c, 0x0EC8, 0x0ECE))
        return false;
    // Private use, and the pictographs that fonts draw as colour emoji.
    if (within(c, 0xE000, 0xF8FF) || within(c, 0xF0000, 0x10FFFF) || within(c, 0x1F000, 0x1FAFF))
        return false;
    return true;
}

void prepareSystemGlyph(char32_t character, int cell) {
    if (cell <= 0 || cell > 1024)
        return;
    Store& s = store();
    std::unique_lock guard(s.lock);
    if (!s.fonts)
        return;
    const uint64_t key = keyOf(character, cell);
    if (s.glyphs.contains(key) || s.kept >= systemGlyphLimit)
        return;
    s.glyphs[key];
    ++s.kept;
    s.queue.push_back(key);
    if (!s.workerRunning && !s.inPlace) {
        try {
            std::thread(makerLoop).detach();
            s.workerRunning = true;
        } catch (const std::system_error&) {
            s.inPlace = true;
        }
    }
    if (s.inPlace) {
        while (!s.queue.empty())
            makeNext(guard);
    } else {
        s.changed.notify_all();
    }
}

bool systemGlyphsReady(std::u32string_view text, int cell,
                       std::chrono::steady_clock::time_point by) {
    Store& s = store();
    std::unique_lock guard(s.lock);
    const auto ready = [&] {
        for (const char32_t c : text) {
            const auto found = s.glyphs.find(keyOf(c, cell));
            if (found != s.glyphs.end() && found->second.state == Glyph::State::asked)
                return false;
        }
        return true;
    };
    return s.changed.wait_until(guard, by, ready);
}

const uint32_t* systemGlyph(char32_t character, int cell) {
    Store& s = store();
    std::lock_guard guard(s.lock);
    const auto found = s.glyphs.find(keyOf(character, cell));
    return found == s.glyphs.end() ? nullptr : found->second.pixels.get();
}

void resetSystemGlyphsForTesting() {
    Store& s = store();
    std::lock_guard guard(s.lock);
    ++s.generation;
    s.queue.clear();
    s.kept = 0;
    // Cells already handed out stay valid to the end of the process: a frame may draw one.
    static NoDestructor<std::vector<std::unique_ptr<uint32_t[]>>> retired;
    for (auto& [key, glyph] : s.glyphs) {
        if (glyph.pixels)
            retired->push_back(std::move(glyph.pixels));
    }
    s.glyphs.clear();
    s.fonts.reset();
}
