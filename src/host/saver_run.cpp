#include "host/saver_run.h"

#include "config/settings.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"

SaverRun::SaverRun(SaverPlatform& platform) : platform_(platform) {}

SaverRun::~SaverRun() = default;

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
    loadSettings("emberhall.dat");
    // The watch gathers movement from here on, so touching the mouse while the fire warms up
    // still ends the run after its first frame.
    platform_.createMouseWatch();
    messageCycle_ = MessageCycle{};
    sparkBursts_ = SparkBursts{};
    colorMode_ = FireColorMode{};
    fireStream_ = 0;
    platform_.openAudio();
    platform_.createSaverWindow();

    console_ = platform_.createConsole();
    format_ = platform_.createFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    platform_.openConsole(console_, frameWidth, frameHeight, format_, 0);
    surface_ = platform_.createSurface(frameWidth, frameHeight, format_);
    // The surface's pixels stay put for its whole life: lock once, keep the address, and write
    // every frame through it.
    frameBuffer_ = platform_.lockSurface(surface_);
    platform_.unlockSurface(surface_);

    randomSource().seed(platform_.calendarSeconds());
    engine_ = std::make_unique<FireEngine>(frameWidth, frameHeight, paletteSize);
    engine_->loadFont(dataFilePath("fire_fonts/font.tga").get(), glyphSize);
    for (int i = 0; i < warmUpSteps; ++i)
        engine_->step();

    fireStream_ = platform_.startFireSound();
    platform_.startMusic();
    startMessageCycle(messageCycle_, *engine_, dataFilePath("fire_data/motd.txt").get(), platform_);
}

SaverRun::FrameEnd SaverRun::frame() {
    if (platform_.drainMessages())
        return FrameEnd::QuitExit;
    frameStart_ = platform_.tickCount();
    if (platform_.escapeDown())
        return FrameEnd::FullExit;

    engine_->step();
    engine_->render(frameBuffer_);
    if (randomSparks() == 1)
        sparkBursts_.applySparks(*engine_, platform_);
    colorMode_.applyFireColor(*engine_);
    stepMessageCycle(messageCycle_, *engine_, frameBuffer_, platform_);

    platform_.copySurface(surface_, console_);
    platform_.updateConsole(console_);

    // Busy-wait pacing: the mouse is read no earlier than 15 ms after the frame began; a slow
    // frame does not wait at all and nothing is caught up.
    while (ticksSince(platform_.tickCount(), frameStart_) < frameMilliseconds) {
    }

    lastMouse_ = platform_.pollMouse();
    if (lastMouse_.dx != 0 || lastMouse_.dy != 0 || lastMouse_.buttons != 0)
        return FrameEnd::FullExit;
    return FrameEnd::Continue;
}

void SaverRun::fullExit() {
    platform_.closeConsole(console_);
    platform_.releaseMouseWatch();
    platform_.stopAudio(fireStream_);
    releaseMessage(messageCycle_);
    platform_.destroySurface(surface_);
    platform_.destroyFormat(format_);
    platform_.destroyConsole(console_);
}

void SaverRun::quitExit() {
    // The mouse watch, the sound and the message stay as they are until the process ends.
    platform_.destroySurface(surface_);
    platform_.destroyFormat(format_);
    platform_.destroyConsole(console_);
}
