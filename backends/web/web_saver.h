#pragma once
// The saver's run in a page: the frame output into the canvas, the scene and the pacing. The
// page calls drawDue from each display refresh. The scene keeps the settings it was started with
// for its whole run, as on every home, so a change made in the settings panel (or new messages,
// or new music) takes effect through a new start of the scene: restart.
#include <memory>

#include "scene/fire_scene.h"
#include "scene/frame_pacer.h"
#include "web/web_frame_output.h"

class Clock;

class WebSaver {
  public:
    explicit WebSaver(Clock& clock) : clock_(clock) {}
    ~WebSaver();
    WebSaver(const WebSaver&) = delete;
    WebSaver& operator=(const WebSaver&) = delete;

    // Loads the settings, then in the order of every home: the audio device, the frame output,
    // the scene.
    void start();
    // Stops the scene and starts a new one with the process-wide settings as they are now.
    void restart();
    // Draws the steps that are due (none, one or a few) and shows the picture when there was
    // one; returns how many were drawn.
    int drawDue();

  private:
    Clock& clock_;
    WebFrameOutput output_;
    SaverPicture picture_;
    std::unique_ptr<FireScene> scene_;
    FramePacer pacer_;
};
