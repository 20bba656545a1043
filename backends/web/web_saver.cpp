#include "web/web_saver.h"

#include "seams/clock.h"
#include "settings/data_file_names.h"
#include "settings/settings.h"

WebSaver::~WebSaver() {
    if (scene_)
        scene_->stop();
    picture_.destroy();
}

void WebSaver::start() {
    loadSettings(settingsFileName);
    const Settings settings = currentSettings();
    scene_ = std::make_unique<FireScene>(clock_);
    scene_->openAudio(settings);
    picture_.open(output_, nullptr, FireScene::width, FireScene::height);
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
    if (!scene_ || !picture_.pixels())
        return 0;
    const int steps = pacer_.stepsDue(clock_.tickCount());
    for (int i = 0; i < steps; ++i)
        scene_->drawFrame(picture_.pixels());
    if (steps > 0)
        picture_.present();
    return steps;
}
