#pragma once
// The Windows saver run: start-up, the paced frame loop and the two ways out. It fixes the order
// in which everything acts:
//
//   start-up   settings, mouse watch, audio device, window, frame output (console, pixel format,
//              surface locked once for the frame buffer), then the scene (seed, engine, glyph
//              sheet, 768 warm-up steps, fire sound and music, first message)
//   each frame drain the window's messages (quit message: quit exit); frameStart; Escape: full
//              exit before anything is drawn; the scene's frame into the frame buffer; present;
//              spin until 15 ms have passed since frameStart; poll the mouse (movement or a
//              first or second button: full exit)
//   full exit  close the console, release the mouse watch, stop the scene (sound, message),
//              destroy surface, pixel format and console
//   quit exit  only destroy surface, pixel format and console
//
// The engine, the window and the audio device live until the process ends.
#include <cstdint>

#include "scene/fire_scene.h"
#include "seams/frame_output.h"
#include "windows/saver_host.h"

class SaverRun {
  public:
    SaverRun(SaverHost& host, FrameOutput& output);

    // Runs the saver to its end; always returns 0.
    int run();

  private:
    void startUp();
    enum class FrameEnd { Continue, FullExit, QuitExit };
    FrameEnd frame();
    void fullExit();
    void quitExit();

    SaverHost& host_;
    FrameOutput& output_;
    FireScene scene_;
    SaverPicture picture_;
    uint32_t frameStart_ = 0;
};
