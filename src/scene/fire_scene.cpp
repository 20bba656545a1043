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

void FireScene::start(const Settings& settings, const ResumePoint& from, bool withSound) {
    // No result is examined: a missing data file only removes its feature.
    settings_ = settings;
    from_ = from;
    randomSource().seed(clock_.calendarSeconds());
    engine_ = std::make_unique<FireEngine>(width, height, paletteSize);
    engine_->loadFont(dataFilePath(glyphSheetFileName).c_str(), glyphSize);
    // The first frame shows heat that has already had its passes to rise.
    for (int i = 0; i < warmUpSteps; ++i)
        engine_->step();
    if (withSound)
        startSound(from);
    const std::string script = dataFilePath(messageScriptFileName);
    scriptDigest_ = fileDigest(script.c_str());
    startMessageCycle(messageCycle_, *engine_, script.c_str(), clock_,
                      from.scriptDigest == scriptDigest_ ? from.nextMessage : 0);
}

void FireScene::startSound(const ResumePoint& from) {
    if (soundStarted_)
        return;
    soundStarted_ = true;
    ::openAudio(settings_); // nothing when the device is open already
    // The fire sound and the first track share one wait, so that the first frame comes within
    // about a second whatever their files do.
    const SoundDeadline by = soundStartDeadline();
    fireStream_ = startFireSound(settings_, by);
    if (isOn(settings_.musicPlaylist)) {
        playlistDigest_ = fileDigest(dataFilePath(playlistFileName).c_str());
        startMusic(settings_, from.playlistDigest == playlistDigest_ ? from.music : MusicPlace{},
                   by);
    }
}

ResumePoint FireScene::resumePoint() const {
    ResumePoint point = from_;
    point.scriptDigest = scriptDigest_;
    point.nextMessage = engine_ ? engine_->script().offset() : 0;
    if (soundStarted_ && isOn(settings_.musicPlaylist)) {
        point.playlistDigest = playlistDigest_;
        point.music = musicPlace();
    }
    return point;
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
    soundStarted_ = false;
    stopAudio(fireStream_);
    fireStream_ = 0;
    releaseMessage(messageCycle_);
}
