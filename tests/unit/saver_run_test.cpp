#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/audio_library.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "seams/audio_platform.h"
#include "seams/data_files.h"
#include "settings/settings.h"
#include "sound/music_state.h"
#include "test_support.h"
#include "testing/memory_frame_output.h"
#include "windows/saver_run.h"

namespace {
std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// A desktop and a frame output that record what the run asks of them, with a tick counter that
// advances by one millisecond at every read, and keyboard, quit message and mouse scripted per
// frame. The sound is heard through the audio library as it really runs: the fake is its
// platform, so opening the device and opening and closing each stream's decoder are recorded.
class RecordingPlatform : public SaverHost, public MemoryFrameOutput {
  public:
    RecordingPlatform() {
        recorder = this;
        AudioPlatform audio;
        audio.openDevice = [](uint32_t) -> std::unique_ptr<AudioDevice> {
            recorder->events.push_back("openAudio");
            return nullptr; // silent: no stream advances, so none ends during a test
        };
        audio.openDecoder = [](const char* path) -> std::unique_ptr<AudioDecoder> {
            return std::make_unique<RecordedDecoder>(std::filesystem::path(path).filename().string());
        };
        audioUsePlatform(audio);
    }
    ~RecordingPlatform() override {
        resetSoundForTesting();
        audioUsePlatform(AudioPlatform{});
        recorder = nullptr;
    }

    std::vector<std::string> events;
    uint32_t now = 5000;
    int frame = 0; // frames begun (drains made)
    int escapeAtFrame = -1;
    int quitAtFrame = -1;
    uint32_t extraWorkMs = 0; // added to the clock while a frame presents
    std::function<MouseReading(int)> mouse = [](int) { return MouseReading{}; };
    std::function<void()> onCreateMouseWatch = [] {};

    struct FrameTiming {
        uint32_t start = 0;
        uint32_t lastTickBeforePoll = 0;
        int ticksReadAfterPresent = 0;
    };
    std::vector<FrameTiming> timings;
    std::vector<std::vector<uint32_t>> presented;
    bool frameBufferBlankAtTeardown = false;

    // --- the desktop ---
    uint32_t tickCount() override {
        const uint32_t tick = now++;
        if (awaitingFrameStart) {
            timings.push_back({tick, 0, 0});
            awaitingFrameStart = false;
        } else if (!timings.empty()) {
            timings.back().lastTickBeforePoll = tick;
            if (presenting)
                ++timings.back().ticksReadAfterPresent;
        }
        return tick;
    }
    uint32_t calendarSeconds() override {
        events.push_back("calendarSeconds");
        return 1700000000u;
    }
    bool escapeDown() override {
        events.push_back("escapeDown");
        return frame == escapeAtFrame;
    }
    void createSaverWindow() override { events.push_back("createSaverWindow"); }
    NativeWindow saverWindow() const override { return nullptr; }
    bool drainMessages() override {
        ++frame;
        presenting = false;
        events.push_back("drainMessages");
        awaitingFrameStart = frame != quitAtFrame;
        return frame == quitAtFrame;
    }
    void createMouseWatch() override {
        events.push_back("createMouseWatch");
        onCreateMouseWatch();
    }
    MouseReading pollMouse() override {
        events.push_back("pollMouse");
        presenting = false;
        return mouse(frame);
    }
    void releaseMouseWatch() override { events.push_back("releaseMouseWatch"); }

    // --- the frame output ---
    PixelConsole* createConsole() override {
        events.push_back("createConsole");
        return MemoryFrameOutput::createConsole();
    }
    PixelFormat* createFormat(int32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) override {
        events.push_back("createFormat " + std::to_string(bits) + " " + hex(r) + " " + hex(g) + " " +
                         hex(b) + " " + hex(a));
        return MemoryFrameOutput::createFormat(bits, r, g, b, a);
    }
    void openConsole(PixelConsole* console, NativeWindow window, int32_t width, int32_t height,
                     PixelFormat* format, int32_t pages) override {
        events.push_back("openConsole " + std::to_string(width) + "x" + std::to_string(height) +
                         " pages " + std::to_string(pages));
        MemoryFrameOutput::openConsole(console, window, width, height, format, pages);
    }
    PixelSurface* createSurface(int32_t width, int32_t height, PixelFormat* format) override {
        events.push_back("createSurface " + std::to_string(width) + "x" + std::to_string(height));
        return MemoryFrameOutput::createSurface(width, height, format);
    }
    uint32_t* lockSurface(PixelSurface* s) override {
        events.push_back("lockSurface");
        return MemoryFrameOutput::lockSurface(s);
    }
    void unlockSurface(PixelSurface* s) override {
        events.push_back("unlockSurface");
        MemoryFrameOutput::unlockSurface(s);
    }
    void copySurface(PixelSurface* s, PixelConsole* console) override {
        events.push_back("copySurface");
        MemoryFrameOutput::copySurface(s, console);
    }
    void updateConsole(PixelConsole* console) override {
        events.push_back("updateConsole");
        MemoryFrameOutput::updateConsole(console);
        const auto picture = presentedPicture(console);
        presented.emplace_back(picture.begin(), picture.end());
        now += extraWorkMs;
        presenting = true;
    }
    void closeConsole(PixelConsole* console) override {
        events.push_back("closeConsole");
        MemoryFrameOutput::closeConsole(console);
    }
    void destroySurface(PixelSurface* s) override {
        events.push_back("destroySurface");
        frameBufferBlankAtTeardown =
            std::all_of(s->pixels, s->pixels + s->width * s->height, [](uint32_t p) { return p == 0; });
        MemoryFrameOutput::destroySurface(s);
    }
    void destroyFormat(PixelFormat* format) override {
        events.push_back("destroyFormat");
        MemoryFrameOutput::destroyFormat(format);
    }
    void destroyConsole(PixelConsole* console) override {
        events.push_back("destroyConsole");
        MemoryFrameOutput::destroyConsole(console);
    }

    // The events from the first of `name` on.
    std::vector<std::string> from(const std::string& name) const {
        auto at = std::find(events.begin(), events.end(), name);
        return std::vector<std::string>(at, events.end());
    }
    int count(const std::string& name) const { return int(std::count(events.begin(), events.end(), name)); }

  private:
    // A stream's source: a minute of silence whose opening and closing are recorded.
    class RecordedDecoder : public AudioDecoder {
      public:
        explicit RecordedDecoder(std::string name) : name_(std::move(name)) {
            recorder->events.push_back("open " + name_);
        }
        ~RecordedDecoder() override {
            if (recorder)
                recorder->events.push_back("close " + name_);
        }
        int channels() const override { return 1; }
        uint32_t rate() const override { return 44100; }
        std::size_t read(float* out, std::size_t frames) override {
            std::fill(out, out + frames, 0.0f);
            return frames;
        }
        bool rewind() override { return true; }

      private:
        std::string name_;
    };

    static inline RecordingPlatform* recorder = nullptr;
    bool awaitingFrameStart = false;
    bool presenting = false;
};

class SaverRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetSettings();
        useDataFiles(DataFiles{{windowsDir.path().string()}});
        // Sound files that only the platform's decoders read, so their streams are recorded.
        windowsDir.write("fire_data/fire.wav", "not a RIFF file");
        windowsDir.write("fire_data/pls.txt", "track.mp3\n");
    }
    void TearDown() override { resetSettings(); }
    int run() {
        SaverRun saver(platform, platform);
        return saver.run();
    }
    TempDirectory windowsDir;
    RecordingPlatform platform;
};

// With the settings of a fresh process only the fire sound plays.
const std::vector<std::string> fullExitEvents{"closeConsole",   "releaseMouseWatch", "close fire.wav",
                                              "destroySurface", "destroyFormat",     "destroyConsole"};
} // namespace

TEST_F(SaverRunTest, startsUpInOrderAndEscapeEndsTheFirstFrameBeforeAnythingIsDrawn) {
    // Yellow fire, the fire sound and the music.
    windowsDir.write("emberhall.dat", std::vector<uint8_t>{0, 1, 0, 1, 1, 0});
    bool settingsLoadedFirst = false;
    platform.onCreateMouseWatch = [&] { settingsLoadedFirst = yellowColor() == 1; };
    platform.escapeAtFrame = 1;
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(settingsLoadedFirst);
    const std::vector<std::string> expected{
        "createMouseWatch",
        "openAudio",
        "createSaverWindow",
        "createConsole",
        "createFormat 32 ff0000 ff00 ff 0",
        "openConsole 1024x768 pages 0",
        "createSurface 1024x768",
        "lockSurface",
        "unlockSurface",
        "calendarSeconds",
        "open fire.wav",
        "open track.mp3",
        "drainMessages",
        "escapeDown",
        "closeConsole",
        "releaseMouseWatch",
        "close fire.wav",
        "close track.mp3",
        "destroySurface",
        "destroyFormat",
        "destroyConsole",
    };
    EXPECT_EQ(platform.events, expected);
    EXPECT_TRUE(platform.frameBufferBlankAtTeardown);
}

TEST_F(SaverRunTest, aQuitMessageDestroysOnlyTheFrameOutput) {
    platform.quitAtFrame = 3;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(platform.count("updateConsole"), 2);
    const std::vector<std::string> tail{"drainMessages", "destroySurface", "destroyFormat",
                                        "destroyConsole"};
    EXPECT_EQ(std::vector<std::string>(platform.events.end() - 4, platform.events.end()), tail);
    EXPECT_EQ(platform.count("closeConsole"), 0);
    EXPECT_EQ(platform.count("releaseMouseWatch"), 0);
    EXPECT_EQ(platform.count("close fire.wav"), 0) << "the sound plays on to the end of the process";
}

TEST_F(SaverRunTest, eachFrameRunsItsStepsInOrder) {
    platform.escapeAtFrame = 3;
    run();
    const std::vector<std::string> frame{"drainMessages", "escapeDown", "copySurface",
                                         "updateConsole", "pollMouse"};
    auto first = platform.from("drainMessages");
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 5), frame);
    EXPECT_EQ(std::vector<std::string>(first.begin() + 5, first.begin() + 10), frame);
    EXPECT_EQ(std::vector<std::string>(first.end() - 6, first.end()), fullExitEvents);
}

TEST_F(SaverRunTest, theMouseIsReadNoEarlierThan15MillisecondsAfterTheFrameBegan) {
    platform.escapeAtFrame = 6;
    run();
    ASSERT_EQ(platform.timings.size(), 6u);
    for (size_t i = 0; i + 1 < platform.timings.size(); ++i) {
        // The busy wait stops at the first tick that shows 15 ms gone, not later.
        EXPECT_EQ(platform.timings[i].lastTickBeforePoll - platform.timings[i].start, 15u) << i;
    }
}

TEST_F(SaverRunTest, aSlowFrameDoesNotWait) {
    platform.extraWorkMs = 40;
    platform.escapeAtFrame = 3;
    run();
    for (size_t i = 0; i + 1 < platform.timings.size(); ++i) {
        EXPECT_EQ(platform.timings[i].ticksReadAfterPresent, 1) << i;
        EXPECT_GE(platform.timings[i].lastTickBeforePoll - platform.timings[i].start, 40u);
    }
}

TEST_F(SaverRunTest, pacingHoldsAcrossTheWrapOfTheTickCounter) {
    platform.now = 0xFFFFFFFFu - 300; // the frames cross zero
    platform.escapeAtFrame = 40;
    run();
    bool crossed = false;
    for (size_t i = 0; i + 1 < platform.timings.size(); ++i) {
        const auto& timing = platform.timings[i];
        crossed |= timing.lastTickBeforePoll < timing.start;
        EXPECT_EQ(timing.lastTickBeforePoll - timing.start, 15u) << i;
    }
    EXPECT_TRUE(crossed);
}

TEST_F(SaverRunTest, movementOrAButtonEndsTheRunAfterTheFrameWasPresented) {
    platform.mouse = [](int frame) {
        MouseReading reading;
        reading.dx = frame == 2 ? 1 : 0;
        return reading;
    };
    run();
    EXPECT_EQ(platform.count("updateConsole"), 2);
    EXPECT_EQ(platform.from("pollMouse").size(), 1 + 1 + fullExitEvents.size() + 4);
    auto tail = std::vector<std::string>(platform.events.end() - long(fullExitEvents.size()),
                                         platform.events.end());
    EXPECT_EQ(tail, fullExitEvents);
}

TEST_F(SaverRunTest, movementDuringStartUpEndsTheRunAfterItsFirstFrame) {
    platform.mouse = [](int frame) {
        MouseReading reading;
        reading.dy = frame == 1 ? -3 : 0;
        return reading;
    };
    run();
    EXPECT_EQ(platform.count("updateConsole"), 1);
}

TEST_F(SaverRunTest, theSecondButtonEndsTheRunButTheWheelDoesNot) {
    platform.mouse = [](int frame) {
        MouseReading reading;
        reading.dz = 120;           // every frame: the wheel alone goes on
        reading.buttons = frame == 4 ? 2 : 0;
        return reading;
    };
    run();
    EXPECT_EQ(platform.count("updateConsole"), 4);
}

TEST_F(SaverRunTest, theFirstFrameIsBlackAndColourShowsFromTheSecond) {
    platform.escapeAtFrame = 3;
    run();
    ASSERT_EQ(platform.presented.size(), 2u);
    const auto& first = platform.presented[0];
    const auto& second = platform.presented[1];
    ASSERT_EQ(first.size(), 1024u * 768u);
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](uint32_t p) { return p == 0; }));
    // Bright at the bottom, dark at the top, no blue in the standard colours.
    uint64_t bottomRed = 0;
    for (int y = 700; y < 766; ++y)
        for (int x = 0; x < 1024; ++x)
            bottomRed += (second[y * 1024 + x] >> 16) & 0xFF;
    EXPECT_GT(bottomRed / (66 * 1024), 100u);
    for (int i = 0; i < 100 * 1024; ++i)
        ASSERT_EQ(second[i], 0u);
    for (uint32_t p : second)
        ASSERT_EQ(p & 0xFF, 0u);
}

TEST_F(SaverRunTest, sparksDrawOnlyWhenTheirOptionIsOne) {
    // Without a script no message draws, so with sparks off every draw of the run is the fire's:
    // the sequence stands where 768 warm-up steps and one step per frame leave it.
    FireEngine replay(1024, 768, 640);
    randomSource().seed(1700000000u);
    for (int i = 0; i < 768 + 5; ++i)
        replay.step();
    const uint32_t fireOnly = randomSource().currentState();

    for (int32_t flag : {0, 2, 1}) {
        RecordingPlatform platform;
        platform.escapeAtFrame = 6;
        setRandomSparks(flag);
        SaverRun saver(platform, platform);
        saver.run();
        if (flag == 1)
            EXPECT_NE(randomSource().currentState(), fireOnly);
        else
            EXPECT_EQ(randomSource().currentState(), fireOnly) << flag;
    }
}
