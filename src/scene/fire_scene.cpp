#include "scene/fire_scene.h"

#include <string>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "seams/clock.h"
#include "settings/data_file_names.h"
#include "sound/sound_steps.h"

FireScene::FireScene(Clock& clock) : clock_(clock) {}

FireScene::~FireScene() = default;

void FireScene::openAudio(const Settings& settings) { ::openAudio(settings); }

void FireScene::start(const Settings& settings) {
    // No result is examined: a missing data file only removes its feature.
    settings_ = settings;
    randomSource().seed(clock_.calendarSeconds());
    engine_ = std::make_unique<FireEngine>(width, height, paletteSize);
    engine_->loadFont(dataFilePath(glyphSheetFileName).c_str(), glyphSize);
    // The first frame shows heat that has already had its passes to rise.
    for (int i = 0; i < warmUpSteps; ++i)
        engine_->step();
    fireStream_ = startFireSound(settings_);
    startMusic(settings_);
    startMessageCycle(messageCycle_, *engine_, dataFilePath(messageScriptFileName).c_str(), clock_);
}

void FireScene::drawFrame(uint32_t* pixels) {
    engine_->step();
    engine_->render(pixels);
    if (isOn(settings_.randomSparks))
        sparkBursts_.applySparks(*engine_, clock_);
    colorMode_.applyFireColor(*engine_, settings_);
    stepMessageCycle(messageCycle_, *engine_, pixels, clock_);
}

void FireScene::stop() {
    stopAudio(fireStream_);
    fireStream_ = 0;
    releaseMessage(messageCycle_);
}
