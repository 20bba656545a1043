#include "scene/fire_scene.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "seams/clock.h"
#include "seams/data_files.h"
#include "seams/time_names.h"
#include "settings/data_file_names.h"
#include "sound/sound_steps.h"
#include "text/system_glyphs.h"
#include "text/text_decoding.h"

namespace {
// How much of the script is looked through at the start for characters the sheet lacks; a
// message past it asks for its own when it is laid out.
constexpr std::size_t scriptLookAhead = 256 * 1024;
// How long the start may wait for the characters of the first message.
constexpr std::chrono::milliseconds firstMessageWait{1000};

// Asks for every character of the script that the sheet lacks, and, when the script shows the
// time, for those of the names of the days and months.
void prepareScriptGlyphs(const FireEngine& engine, const std::string& script) {
    const UniqueFile file = openDataFile(script.c_str(), "rb");
    if (!file)
        return;
    std::string bytes(scriptLookAhead, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    const std::u32string text = decodeText(bytes);
    engine.prepareGlyphs(text);
    if (text.find(U'%') == std::u32string::npos)
        return;
    const TimeNames& names = timeNames();
    for (const auto* list : {&names.days, &names.shortDays})
        for (const std::string& name : *list)
            engine.prepareGlyphs(decodeText(name));
    for (const auto* list : {&names.months, &names.shortMonths})
        for (const std::string& name : *list)
            engine.prepareGlyphs(decodeText(name));
    engine.prepareGlyphs(decodeText(names.am + names.pm));
}
} // namespace

FireScene::FireScene(Clock& clock) : clock_(clock) {}

FireScene::~FireScene() = default;

void FireScene::openAudio(const Settings& settings) {
    ::openAudio(settings);
}

void FireScene::start(const Settings& settings, const ResumePoint& from, bool withSound) {
    // No result is examined: a missing data file only removes its feature.
    settings_ = settings;
    from_ = from;
    randomSource().seed(clock_.calendarSeconds());
    engine_ = std::make_unique<FireEngine>(width, height, paletteSize);
    engine_->loadFont(dataFilePath(glyphSheetFileName).c_str(), glyphSize);
    // Characters the sheet lacks are made from the system's fonts meanwhile, on their own thread.
    const std::string script = dataFilePath(messageScriptFileName);
    prepareScriptGlyphs(*engine_, script);
    const auto glyphsBy = std::chrono::steady_clock::now() + firstMessageWait;
    // The first frame shows heat that has already had its passes to rise.
    for (int i = 0; i < warmUpSteps; ++i)
        engine_->step();
    if (withSound)
        startSound(from);
    scriptDigest_ = fileDigest(script.c_str());
    startMessageCycle(messageCycle_, *engine_, script.c_str(), clock_,
                      from.scriptDigest == scriptDigest_ ? from.nextMessage : 0);
    // The first message comes with its letters, unless a font takes too long.
    systemGlyphsReady(engine_->shownText(), glyphSize, glyphsBy);
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
