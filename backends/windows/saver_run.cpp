#include "windows/saver_run.h"

#include "scene/frame_pacer.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"

SaverRun::SaverRun(SaverHost& host, FrameOutput& output)
    : host_(host), output_(output), scene_(host) {}

int SaverRun::run() {
    startUp();
    for (;;) {
        switch (frame()) {
        case FrameEnd::Continue:
            break;
        case FrameEnd::FullExit:
            fullExit();
            return 0;
        case FrameEnd::QuitExit:
            quitExit();
            return 0;
        }
    }
}

void SaverRun::startUp() {
    // No result of the start-up is examined: a missing piece only removes its feature.
    loadSettings(settingsFileName);
    const Settings settings = currentSettings();
    // The watch gathers movement from here on, so touching the mouse while the fire warms up
    // still ends the run after its first frame.
    host_.createMouseWatch();
    scene_.openAudio(settings);
    host_.createSaverWindow();

    picture_.open(output_, host_.saverWindow(), FireScene::width, FireScene::height);
    scene_.start(settings);
}

SaverRun::FrameEnd SaverRun::frame() {
    if (host_.drainMessages())
        return FrameEnd::QuitExit;
    frameStart_ = host_.tickCount();
    if (host_.escapeDown())
        return FrameEnd::FullExit;

    scene_.drawFrame(picture_.pixels());
    picture_.present();

    // Busy-wait pacing: the mouse is read no earlier than one step after the frame began; a slow
    // frame does not wait at all and nothing is caught up.
    while (ticksSince(host_.tickCount(), frameStart_) < stepMilliseconds) {
    }

    const MouseReading mouse = host_.pollMouse();
    if (mouse.dx != 0 || mouse.dy != 0 || mouse.buttons != 0)
        return FrameEnd::FullExit;
    return FrameEnd::Continue;
}

void SaverRun::fullExit() {
    picture_.close();
    host_.releaseMouseWatch();
    scene_.stop();
    picture_.destroy();
}

void SaverRun::quitExit() {
    // The mouse watch, the sound and the message stay as they are until the process ends.
    picture_.destroy();
}
