#include "windows/saver_run.h"

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

    constexpr int32_t width = FireScene::width;
    constexpr int32_t height = FireScene::height;
    console_ = output_.createConsole();
    format_ = output_.createFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    output_.openConsole(console_, host_.saverWindow(), width, height, format_, 0);
    surface_ = output_.createSurface(width, height, format_);
    // The surface's pixels stay put for its whole life: lock once, keep the address, and write
    // every frame through it.
    frameBuffer_ = output_.lockSurface(surface_);
    output_.unlockSurface(surface_);

    scene_.start(settings);
}

SaverRun::FrameEnd SaverRun::frame() {
    if (host_.drainMessages())
        return FrameEnd::QuitExit;
    frameStart_ = host_.tickCount();
    if (host_.escapeDown())
        return FrameEnd::FullExit;

    scene_.drawFrame(frameBuffer_);
    output_.copySurface(surface_, console_);
    output_.updateConsole(console_);

    // Busy-wait pacing: the mouse is read no earlier than 15 ms after the frame began; a slow
    // frame does not wait at all and nothing is caught up.
    while (ticksSince(host_.tickCount(), frameStart_) < frameMilliseconds) {
    }

    const MouseReading mouse = host_.pollMouse();
    if (mouse.dx != 0 || mouse.dy != 0 || mouse.buttons != 0)
        return FrameEnd::FullExit;
    return FrameEnd::Continue;
}

void SaverRun::fullExit() {
    output_.closeConsole(console_);
    host_.releaseMouseWatch();
    scene_.stop();
    output_.destroySurface(surface_);
    output_.destroyFormat(format_);
    output_.destroyConsole(console_);
}

void SaverRun::quitExit() {
    // The mouse watch, the sound and the message stay as they are until the process ends.
    output_.destroySurface(surface_);
    output_.destroyFormat(format_);
    output_.destroyConsole(console_);
}
