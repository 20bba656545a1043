// The glyph sheet, any bytes at all, loaded with any glyph size into an engine of any small
// frame size; then letters, the characters around the sheet's cells and a laid-out message are
// drawn at any position and moved as a burst would move them. Nothing may be read outside the
// sheet or written outside the frame.
//
// The last bytes of an input choose the glyph size, the frame and the positions (libFuzzer's
// FuzzedDataProvider takes numbers from the end); all the bytes before them are the file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "fuzz_support.h"
#include "text/glyph_particles.h"

namespace {
constexpr int32_t largestFrameWidth = 320;
constexpr int32_t largestFrameHeight = 240;
constexpr int moves = 3;
// Sheets above this many pixels (and up to the loader's own limit) take the same paths as
// smaller ones but cost up to a hundred times more per input: they are left out, so the run
// spends its time on new paths. Sizes past the loader's limit are refused before any memory is
// taken, and stay in.
constexpr std::size_t slowSheetPixels = std::size_t(1) << 20;
constexpr std::size_t loaderSheetLimit = std::size_t(16) << 20;

int32_t glyphSizeFrom(FuzzedDataProvider& in) {
    const uint8_t pick = in.ConsumeIntegral<uint8_t>();
    switch (pick) {
    case 250:
        return 0;
    case 251:
        return -1;
    case 252:
        return -50;
    case 253:
        return std::numeric_limits<int32_t>::max();
    case 254:
        return std::numeric_limits<int32_t>::min();
    case 255:
        return 70000; // wider than any sheet
    default:
        return pick < 200 ? 1 + pick % 64 : 50;
    }
}

// Mostly near the frame, now and then anywhere a 32-bit number reaches.
int32_t positionFrom(FuzzedDataProvider& in, int32_t extent) {
    if (in.ConsumeIntegralInRange(0, 7) == 0)
        return in.ConsumeIntegral<int32_t>();
    return in.ConsumeIntegralInRange<int32_t>(-120, extent + 120);
}

void checkSheet(const FireEngine& engine, int32_t result, const uint8_t* file, std::size_t size) {
    fuzzCheck(result == 1 || result == -2, "loadFont gave a result other than 1 or -2");
    if (!engine.fontLoaded())
        return;
    fuzzCheck(size >= 16, "a sheet was kept from a file without a whole header");
    fuzzCheck(engine.fontWidth() == (file[12] | file[13] << 8) &&
                  engine.fontHeight() == (file[14] | file[15] << 8),
              "the sheet's size is not the header's");
    fuzzCheck(engine.fontPixels().size() ==
                  std::size_t(engine.fontWidth()) * std::size_t(engine.fontHeight()),
              "the sheet does not hold width x height pixels");
    // Only the first row is checked each time: a whole sheet may hold millions of pixels.
    const std::size_t firstRow = std::size_t(engine.fontWidth());
    for (std::size_t i = 0; i < firstRow && i < engine.fontPixels().size(); ++i)
        fuzzCheck(engine.fontPixels()[i] >> 24 == 0, "a sheet pixel with a top byte");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int32_t glyphSize = glyphSizeFrom(in);
    const int32_t width = in.ConsumeIntegralInRange<int32_t>(1, largestFrameWidth);
    const int32_t height = in.ConsumeIntegralInRange<int32_t>(1, largestFrameHeight);
    int32_t positions[8];
    for (int i = 0; i < 8; ++i)
        positions[i] = positionFrom(in, i % 2 == 0 ? width : height);
    const std::vector<uint8_t> file = in.ConsumeRemainingBytes<uint8_t>();
    if (file.size() >= 16) {
        const std::size_t pixels =
            std::size_t(file[12] | file[13] << 8) * std::size_t(file[14] | file[15] << 8);
        if (pixels > slowSheetPixels && pixels <= loaderSheetLimit)
            return -1; // not kept in the corpus
    }

    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write("font.tga", file.data(), file.size());
    FireEngine engine(width, height, 640);
    const int32_t result = engine.loadFont(scratch.path("font.tga").c_str(), glyphSize);
    checkSheet(engine, result, file.data(), file.size());

    // Sized exactly, so the address sanitizer sees a write one pixel past the frame.
    std::vector<uint32_t> frame(std::size_t(width) * std::size_t(height), 0);
    const int32_t cells = engine.glyphSize() > 0 ? engine.fontWidth() / engine.glyphSize() : 0;
    // The first and last cell, the first character past them, and characters below 'A' or
    // above 127 (negative as signed codes), which have no cell in any sheet.
    const char characters[] = {
        'A', char('A' + cells - 1), char('A' + cells), '@', '0', char(0x80), char(0xFF), 'z'};
    for (std::size_t i = 0; i < sizeof characters; ++i)
        engine.drawGlyph(positions[i % 4 * 2], positions[i % 4 * 2 + 1], characters[i],
                         frame.data());

    randomSource().seed(uint32_t(size));
    auto message = engine.layoutMessage(positions[4], positions[5], "AZ-B*C+D z@{");
    for (int i = 0; i < moves; ++i) {
        engine.drawParticles(*message, frame.data());
        engine.moveParticles(*message);
    }
    return 0;
}
