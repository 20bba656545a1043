#include "linux/wayland/wayland_saver.h"

#include <cstdio>
#include <memory>
#include <string>

#include "audio/audio_library.h"
#include "linux/common/stop_signals.h"
#include "linux/wayland/gnome_idle_monitor.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_frame_output.h"
#include "linux/wayland/wayland_idle.h"
#include "scene/frame_pacer.h"
#include "seams/clock.h"
#include "sound/sound_steps.h"

namespace {
// One covering of the outputs: from the first picture to the input (or the desktop's word)
// that ends it.
class Overlay {
  public:
    Overlay(WaylandDisplay& display, const Settings& settings, const SharedPlaces& places,
            Clock& clock, IdleWatch* watch)
        : display_(display), settings_(settings), clock_(clock), watch_(watch), output_(display),
          scene_(clock, places) {}

    // Runs until input, the desktop's word or a stop signal; false when the connection broke.
    bool run();

  private:
    bool ended() {
        return display_.seat().inputSeen || output_.closedByUser(picture_.console()) ||
               (watch_ && (watch_->userBack || watch_->shielded));
    }

    WaylandDisplay& display_;
    Settings settings_;
    Clock& clock_;
    IdleWatch* watch_;
    WaylandFrameOutput output_;
    SharedScene scene_;
    SaverPicture picture_;
};

bool Overlay::run() {
    WaylandSeat& seat = display_.seat();
    seat.inputSeen = false;
    seat.watchInput = true;
    if (watch_)
        watch_->coveringStarts();
    // The audio device first, as on every home; then the frame output and the scene.
    scene_.openAudio(settings_);
    picture_.open(output_, nullptr, FireScene::width, FireScene::height);
    scene_.start(settings_);

    FramePacer pacer;
    bool connected = true;
    while (connected && !stopRequested() && !ended()) {
        // With a picture wanted, wake for the next step; otherwise sleep until the compositor
        // (or the desktop) says something.
        if (!output_.wantsPicture(picture_.console())) {
            connected = display_.dispatch(-1);
            continue;
        }
        if (const uint32_t wait = pacer.millisecondsToNextStep(clock_.tickCount()); wait > 0) {
            connected = display_.dispatch(int(wait));
            continue;
        }
        const int steps = pacer.stepsDue(clock_.tickCount());
        for (int i = 0; i < steps; ++i)
            scene_.drawFrame(picture_.pixels());
        picture_.present();
        connected = display_.dispatch(0);
    }
    picture_.close();
    scene_.stop();
    picture_.destroy();
    seat.watchInput = false;
    if (watch_)
        watch_->coveringEnded();
    return connected;
}

int connectionLost() {
    std::fputs("emberhall: the Wayland display closed the connection\n", stderr);
    return 1;
}

// Connected to a compositor that lets a client cover its outputs; false after one line that
// says what is missing.
bool connectForOverlay(WaylandDisplay& display) {
    std::string error;
    if (!display.connect(error)) {
        std::fprintf(stderr, "emberhall: %s\n", error.c_str());
        return false;
    }
    if (display.layerShell() || display.xdgShell())
        return true;
    std::fputs(
        "emberhall: this Wayland desktop has neither the layer shell (zwlr_layer_shell_v1) nor "
        "xdg-shell, so nothing can cover its screens; run emberhall without options for a window "
        "instead\n",
        stderr);
    return false;
}
} // namespace

int runWaylandOverlay(const Settings& settings, const SharedPlaces& places, Clock& clock) {
    WaylandDisplay display;
    if (!connectForOverlay(display))
        return 1;
    Overlay overlay(display, settings, places, clock, nullptr);
    return overlay.run() ? 0 : connectionLost();
}

int runWaylandIdle(uint32_t idleMilliseconds, const Settings& settings, const SharedPlaces& places,
                   Clock& clock) {
    WaylandDisplay display;
    if (!connectForOverlay(display))
        return 1;
    std::unique_ptr<IdleWatch> watch = watchCompositorIdle(display, idleMilliseconds);
    std::string why;
    if (!watch)
        watch = watchGnomeIdle(display, idleMilliseconds, why);
    if (!watch) {
        std::fprintf(stderr,
                     "emberhall: %s; start \"emberhall --overlay\" from the desktop's own idle "
                     "settings instead\n",
                     why.c_str());
        return 1;
    }
    while (!stopRequested()) {
        // Asleep in poll until the compositor or the desktop speaks: no frames, no timers.
        if (!display.dispatch(-1))
            return connectionLost();
        if (!watch->idle || stopRequested())
            continue;
        watch->idle = false;
        if (watch->shielded)
            continue; // GNOME's blank screen or lock came first
        {
            Overlay overlay(display, settings, places, clock, watch.get());
            if (!overlay.run())
                return connectionLost();
        }
        // The sound device and its threads go too, so that nothing runs while waiting.
        closeAudio();
    }
    return 0;
}
