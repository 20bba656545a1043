// The message script, any bytes at all: every message read from it is laid out, drawn over a
// frame, moved and drawn again, several messages in a row so the reader goes round the file;
// then the message cycle runs through hold, burst and the next message on the same script.
// A message never holds more than 1023 characters, and nothing may be read outside the glyph
// sheet or written outside the frame.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "fuzz_support.h"
#include "text/glyph_particles.h"
#include "text/message_cycle.h"

namespace {
// A small frame and small letters keep each input quick; a line still holds several cells.
constexpr int32_t frameWidth = 320;
constexpr int32_t frameHeight = 240;
constexpr int32_t glyphSize = 16;
constexpr int32_t sheetCells = 58; // 'A' to 'z'
constexpr int messagesRead = 5;
constexpr int cycleSteps = 6;
constexpr uint32_t cycleStepMilliseconds = 4000;
constexpr int32_t longestText = 1023;

class StepClock : public Clock {
  public:
    uint32_t tickCount() override { return now; }
    uint32_t calendarSeconds() override { return now / 1000; }
    uint32_t now = 0;
};

// A 32-bit sheet of glyph cells, every fourth pixel black (transparent), written once.
std::vector<uint8_t> sheetFile() {
    const int32_t width = sheetCells * glyphSize;
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = uint8_t(width);
    bytes[13] = uint8_t(width >> 8);
    bytes[14] = uint8_t(glyphSize);
    bytes[16] = 32;
    for (int32_t i = 0; i < width * glyphSize; ++i) {
        const uint8_t level = i % 4 == 0 ? 0 : uint8_t(i);
        bytes.insert(bytes.end(), {level, level, level, 0xFF});
    }
    return bytes;
}

// One engine and frame for the whole run: the script is opened anew for each input.
struct Stage {
    Stage() : engine(frameWidth, frameHeight, 640), frame(std::size_t(frameWidth) * frameHeight) {
        const std::vector<uint8_t> sheet = sheetFile();
        ScratchFiles::instance().write("font.tga", sheet.data(), sheet.size());
        fuzzCheck(engine.loadFont(ScratchFiles::instance().path("font.tga").c_str(), glyphSize) ==
                      1,
                  "the stage's glyph sheet did not load");
    }
    FireEngine engine;
    std::vector<uint32_t> frame;
};

void showAndBurst(Stage& stage, ParticleList& message) {
    fuzzCheck(message.count() <= longestText, "a message longer than 1023 characters");
    stage.engine.drawParticles(message, stage.frame.data());
    stage.engine.moveParticles(message);
    stage.engine.moveParticles(message);
    stage.engine.drawParticles(message, stage.frame.data());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static Stage stage;
    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write("motd.txt", data, size);
    const std::string script = scratch.path("motd.txt");
    randomSource().seed(1);

    fuzzCheck(stage.engine.openScript(script.c_str()), "the script did not open");
    for (int i = 0; i < messagesRead; ++i) {
        const auto message = stage.engine.nextMessage();
        fuzzCheck(message != nullptr, "nextMessage gave no list");
        showAndBurst(stage, *message);
    }

    StepClock clock;
    MessageCycle cycle;
    startMessageCycle(cycle, stage.engine, script.c_str(), clock);
    for (int i = 0; i < cycleSteps; ++i) {
        clock.now += cycleStepMilliseconds;
        stepMessageCycle(cycle, stage.engine, stage.frame.data(), clock);
    }
    releaseMessage(cycle);
    return 0;
}
