#pragma once
// The saver run: start-up, the paced frame loop and the two ways out. It fixes the order in
// which everything else acts:
//
//   start-up   settings, mouse watch, audio device, window, frame output, seed, engine, glyph
//              sheet, 768 warm-up steps, fire sound and music, first message
//   each frame drain the window's messages (quit message: quit exit); frameStart; Escape: full
//              exit before anything is drawn; step and render; sparks; colour mode; message
//              cycle; present; spin until 15 ms have passed since frameStart; poll the mouse
//              (movement or a first or second button: full exit)
//   full exit  close the console, release the mouse watch, stop the audio, release the message,
//              destroy surface, pixel format and console
//   quit exit  only destroy surface, pixel format and console
//
// The engine, the window and the audio device live until the process ends.
#include <cstdint>
#include <memory>

#include "fire/fire_color_mode.h"
#include "fire/spark_bursts.h"
#include "host/saver_platform.h"
#include "text/message_cycle.h"

class FireEngine;

class SaverRun {
  public:
    static constexpr int32_t frameWidth = 1024;
    static constexpr int32_t frameHeight = 768;
    static constexpr uint32_t paletteSize = 640;
    static constexpr int32_t glyphSize = 50;
    static constexpr int warmUpSteps = 768;
    static constexpr uint32_t frameMilliseconds = 15;

    explicit SaverRun(SaverPlatform& platform);
    ~SaverRun();

    // Runs the saver to its end; always returns 0.
    int run();

    // For tests: the engine of the run (null before start-up).
    const FireEngine* engine() const { return engine_.get(); }

  private:
    void startUp();
    enum class FrameEnd { Continue, FullExit, QuitExit };
    FrameEnd frame();
    void fullExit();
    void quitExit();

    SaverPlatform& platform_;
    PixelConsole* console_ = nullptr;
    PixelFormat* format_ = nullptr;
    PixelSurface* surface_ = nullptr;
    uint32_t* frameBuffer_ = nullptr;
    std::unique_ptr<FireEngine> engine_;
    MessageCycle messageCycle_;
    SparkBursts sparkBursts_;
    FireColorMode colorMode_;
    uint32_t fireStream_ = 0;
    uint32_t frameStart_ = 0;
    MouseReading lastMouse_;
};
