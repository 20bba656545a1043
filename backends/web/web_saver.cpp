#include "web/web_saver.h"

#include "seams/clock.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"

WebSaver::~WebSaver() {
    if (scene_)
        scene_->stop();
    output_.destroySurface(surface_);
    output_.destroyFormat(format_);
    output_.destroyConsole(console_);
}

void WebSaver::start() {
    loadSettings(settingsFileName);
    const Settings settings = currentSettings();
    scene_ = std::make_unique<FireScene>(clock_);
    scene_->openAudio(settings);
    console_ = output_.createConsole();
    format_ = output_.createFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    output_.openConsole(console_, nullptr, FireScene::width, FireScene::height, format_, 0);
    surface_ = output_.createSurface(FireScene::width, FireScene::height, format_);
    frameBuffer_ = output_.lockSurface(surface_);
    output_.unlockSurface(surface_);
    scene_->start(settings);
}

void WebSaver::restart() {
    if (!scene_)
        return;
    scene_->stop();
    scene_ = std::make_unique<FireScene>(clock_);
    const Settings settings = currentSettings();
    // The device stays open from the first start that needed it; this opens it when a sound
    // option was switched on for the first time.
    scene_->openAudio(settings);
    scene_->start(settings);
    pacer_.restart();
}

int WebSaver::drawDue() {
    if (!scene_ || !frameBuffer_)
        return 0;
    const int steps = pacer_.stepsDue(clock_.tickCount());
    for (int i = 0; i < steps; ++i)
        scene_->drawFrame(frameBuffer_);
    if (steps > 0) {
        output_.copySurface(surface_, console_);
        output_.updateConsole(console_);
    }
    return steps;
}
