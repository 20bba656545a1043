#pragma once
// The fire scene: everything a saver shows and plays, whatever hosts it. The host opens the
// sound, starts the scene, then asks for one frame at a time; the scene draws into the pixels it
// is given and never waits, so a host may pace the frames (scene/frame_pacer.h) by spinning
// (Windows), by sleeping (X11, and Wayland between the compositor's calls) or from the display's
// refresh (a page in a browser).
//
//   openAudio   the audio device, when the fire sound or the music is on
//   start       seed the random sequence, build the engine, load the glyph sheet, warm the fire
//               up with 768 steps, start the fire sound and the music, open the message script
//               and put up its first message
//   drawFrame   step and render the fire, sparks (when on), colour mode, then the message cycle,
//               which draws the current message over the fire and holds, bursts or replaces it
//   stop        stop the sound, release the current message
//
// A host that runs beside other copies of itself (one per monitor) may start the scene silent
// and give it the sound later (startSound), and may start it where an earlier run left off
// (a ResumePoint) and ask where it stands now (resumePoint). Windows does neither: one process
// covers every monitor there, and each run begins its messages and playlist at the top; nor does
// the page, which is one copy and keeps no file.
//
// The picture is 1024 x 768 pixels 0x00RRGGBB, row stride 1024; rows 0 and 1 are never drawn.
#include <cstdint>
#include <memory>

#include "fire/fire_color_mode.h"
#include "fire/spark_bursts.h"
#include "scene/resume_point.h"
#include "settings/settings.h"
#include "text/message_cycle.h"

class Clock;
class FireEngine;

class FireScene {
  public:
    static constexpr int32_t width = 1024;
    static constexpr int32_t height = 768;
    static constexpr uint32_t paletteSize = 640;
    static constexpr int32_t glyphSize = 50;
    static constexpr int warmUpSteps = 768;

    explicit FireScene(Clock& clock);
    ~FireScene();
    FireScene(const FireScene&) = delete;
    FireScene& operator=(const FireScene&) = delete;

    void openAudio(const Settings& settings);
    // Starts from `from`: the message there, and the music at its place, for each file that is
    // unchanged since; the top of the file otherwise. Without sound, no sound is started (and
    // no device need have been opened) until startSound.
    void start(const Settings& settings, const ResumePoint& from = {}, bool withSound = true);
    // A silent scene takes the sound over: opens the device, starts the fire sound and the
    // music from `from` (as start does). Does nothing when the sound has started already.
    void startSound(const ResumePoint& from);
    // Where the run stands: the message after the one shown now, the music's place. A run that
    // plays no music passes on the place it was started from.
    ResumePoint resumePoint() const;
    // One frame into `pixels` (the frame buffer, fixed for the run).
    void drawFrame(uint32_t* pixels);
    void stop();

  private:
    Clock& clock_;
    Settings settings_;
    std::unique_ptr<FireEngine> engine_;
    MessageCycle messageCycle_;
    SparkBursts sparkBursts_;
    FireColorMode colorMode_;
    uint32_t fireStream_ = 0;
    bool soundStarted_ = false;
    ResumePoint from_;
    uint64_t scriptDigest_ = 0;
    uint64_t playlistDigest_ = 0;
};
