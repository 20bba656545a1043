#pragma once
// The scene as the Linux programs run it: beside other copies of themselves, and one run after
// another.
//
// One sound. The screen-saver daemons start one copy of the saver per monitor (XScreenSaver one
// per X screen, MATE one per monitor), a settings preview is one more, and on Wayland one
// process covers every output. All of them draw; only one of a user's copies on a display plays
// the fire sound and the music, or the user would hear both twice, out of step. That copy, the
// lead, is the one holding an exclusive lock (flock) on a file in the user's runtime directory,
// one file per display. The kernel lets go of the lock when its process ends in any way, a
// SIGKILL included, and no server of ours is needed. The others try for the lock once a second
// and the first to get it takes the sound over, going on with the music where the lead left it.
//
// Going on. Daemons restart their saver every few minutes (XScreenSaver's `cycle`, ten by
// default). The lead keeps a small resume file in the user's cache directory: the message after
// the one shown and the music's track and time (scene/resume_point.h), written every few seconds
// while something changes and when it stops. A new run starts from there; a missing, damaged or
// stale file (the script or playlist changed since) starts from the top.
#include <cstdint>
#include <string>
#include <string_view>

#include "linux/common/xdg_directories.h"
#include "scene/fire_scene.h"

class Clock;

struct SharedPlaces {
    std::string leadLock; // empty: no place for a lock, so this copy plays on its own
    std::string resume;   // empty: nothing is kept between runs
};

// For the display named `display` (an X display name such as ":0.1", whose screen does not
// count, or a Wayland socket name): the lock in $XDG_RUNTIME_DIR/emberhall/, else in the cache
// directory with the host's name in it; the resume file in $XDG_CACHE_HOME/emberhall/ (by
// default ~/.cache/emberhall/). Makes the directories.
SharedPlaces sharedPlaces(const Environment& environment, std::string_view display);

// The lock that makes a copy the lead.
class LeadLock {
  public:
    explicit LeadLock(std::string path) : path_(std::move(path)) {}
    ~LeadLock();
    LeadLock(const LeadLock&) = delete;
    LeadLock& operator=(const LeadLock&) = delete;
    // Tries once, without waiting; true when this copy leads (now or already). With no path
    // there is nothing to share, and the copy leads.
    bool tryToLead();
    bool leading() const { return leading_; }

  private:
    std::string path_;
    int fd_ = -1;
    bool leading_ = false;
};

// The resume file: the point it holds, or the top for one that is missing or damaged.
ResumePoint readResumeFile(const std::string& path);
// Replaces the file in one step; false when it could not be written.
bool writeResumeFile(const std::string& path, const ResumePoint& point);

class SharedScene {
  public:
    static constexpr uint32_t leadRetryMilliseconds = 1000;
    static constexpr uint32_t resumeWriteMilliseconds = 5000;

    SharedScene(Clock& clock, SharedPlaces places);

    // Becomes the lead if it can and then opens the audio device (when a sound option is on).
    void openAudio(const Settings& settings);
    // Starts the scene where the last run left it, with the sound when leading.
    void start(const Settings& settings);
    // One frame; now and then, tries for the lead or keeps the resume file.
    void drawFrame(uint32_t* pixels);
    // Keeps the resume file (when leading) and stops the scene.
    void stop();
    bool leading() const { return lock_.leading(); }

  private:
    void keepResumePoint();

    Clock& clock_;
    SharedPlaces places_;
    LeadLock lock_;
    FireScene scene_;
    uint32_t lastTry_ = 0;
    uint32_t lastWrite_ = 0;
    std::string written_;
};
