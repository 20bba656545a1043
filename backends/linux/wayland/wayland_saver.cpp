#include "linux/wayland/wayland_saver.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_library.h"
#include "linux/common/frame_pacing.h"
#include "linux/common/picture_scaler.h"
#include "linux/common/stop_signals.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_protocols.h"
#include "sound/sound_steps.h"

namespace {
constexpr int pictureWidth = FireScene::width;
constexpr int pictureHeight = FireScene::height;
// After this many missed steps (all outputs hidden for a while) the fire goes on from now
// instead of catching up.
constexpr int catchUpLimit = 4;

// Pictures in shared memory for the compositor to read. A new picture goes into a frame the
// compositor no longer holds (it says so with a release). One frame may be shown on several
// outputs at once, and each output holds the frame it shows until the next one replaces it
// there; outputs that refresh at different times, or one that stopped refreshing, may each hold
// a different frame, so there are as many frames as outputs and one more, made as needed.
struct ShmFrame {
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    std::size_t bytes = 0;
    bool busy = false;

    ~ShmFrame() {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (pixels)
            munmap(pixels, bytes);
    }
};

class ShmFrames {
  public:
    ShmFrames(wl_shm* shm, int width, int height) : shm_(shm), width_(width), height_(height) {}

    // A frame the compositor does not hold, made when there is none and fewer than `most`
    // frames exist; null otherwise (or when no shared memory can be had).
    ShmFrame* free(std::size_t most) {
        for (auto& frame : frames_)
            if (!frame->busy)
                return frame.get();
        if (frames_.size() >= most)
            return nullptr;
        auto frame = std::make_unique<ShmFrame>();
        if (!make(*frame))
            return nullptr;
        frames_.push_back(std::move(frame));
        return frames_.back().get();
    }

  private:
    // Width x height pixels 0x00RRGGBB (Wayland's XRGB8888), black to begin with.
    bool make(ShmFrame& frame) {
        frame.bytes = std::size_t(width_) * std::size_t(height_) * 4;
        const int fd = memfd_create("emberhall", MFD_CLOEXEC);
        if (fd < 0)
            return false;
        void* memory = MAP_FAILED;
        if (ftruncate(fd, off_t(frame.bytes)) == 0)
            memory = mmap(nullptr, frame.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory == MAP_FAILED) {
            close(fd);
            return false;
        }
        frame.pixels = static_cast<uint32_t*>(memory);
        wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, int32_t(frame.bytes));
        close(fd); // the pool keeps the memory
        frame.buffer = wl_shm_pool_create_buffer(pool, 0, width_, height_, width_ * 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        wl_buffer_add_listener(frame.buffer, &releaseListener, &frame);
        return true;
    }

    static constexpr wl_buffer_listener releaseListener = {
        [](void* data, wl_buffer*) { static_cast<ShmFrame*>(data)->busy = false; }};
    wl_shm* shm_;
    int width_;
    int height_;
    std::vector<std::unique_ptr<ShmFrame>> frames_;
};

class Overlay;

// One output's surface on the overlay layer.
struct OutputSurface {
    Overlay* owner = nullptr;
    uint32_t outputName = 0;
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wp_viewport* viewport = nullptr;
    wl_callback* frameCallback = nullptr; // asked for with the last picture; gone when shown
    int width = 0;  // as configured, in the output's logical pixels
    int height = 0;
    bool configured = false;
    bool closed = false;
    // Without a viewporter: the picture stretched by us into frames of the output's size.
    std::unique_ptr<ShmFrames> stretched;
    PictureScaler scaler;

    bool ready() const { return configured && !closed && !frameCallback; }
};

class Overlay {
  public:
    Overlay(WaylandDisplay& display, const Settings& settings, const SharedPlaces& places, Clock& clock)
        : display_(display), settings_(settings), scene_(clock, places) {}
    ~Overlay();

    // Puts a surface on every output and runs until input or a stop signal; false when the
    // connection broke.
    bool run();

    void configure(OutputSurface& s, uint32_t serial, uint32_t width, uint32_t height);

  private:
    void cover(const WaylandOutput& output);
    void uncover(uint32_t outputName);
    // Draws the steps that are due into a free frame and shows it on every output that waits.
    void present(int steps);
    std::size_t mostFrames() const { return surfaces_.size() + 1; }
    void show(OutputSurface& s, const ShmFrame& frame);
    bool anyReady() const;

    static const zwlr_layer_surface_v1_listener layerListener;
    static const wl_callback_listener frameListener;

    WaylandDisplay& display_;
    Settings settings_;
    SharedScene scene_;
    ShmFrames frames_{display_.shm(), pictureWidth, pictureHeight};
    std::vector<uint32_t> picture_; // without a viewporter: the picture before its stretch
    std::vector<std::unique_ptr<OutputSurface>> surfaces_;
};

const zwlr_layer_surface_v1_listener Overlay::layerListener = {
    [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height) {
        auto* s = static_cast<OutputSurface*>(data);
        s->owner->configure(*s, serial, width, height);
    },
    [](void* data, zwlr_layer_surface_v1*) { static_cast<OutputSurface*>(data)->closed = true; },
};

const wl_callback_listener Overlay::frameListener = {
    [](void* data, wl_callback* callback, uint32_t) {
        wl_callback_destroy(callback);
        static_cast<OutputSurface*>(data)->frameCallback = nullptr;
    },
};

void destroySurface(OutputSurface& s) {
    if (s.frameCallback)
        wl_callback_destroy(s.frameCallback);
    if (s.viewport)
        wp_viewport_destroy(s.viewport);
    zwlr_layer_surface_v1_destroy(s.layer);
    wl_surface_destroy(s.surface);
}

Overlay::~Overlay() {
    display_.outputAdded = nullptr;
    display_.outputRemoved = nullptr;
    display_.watchInput = false;
    for (auto& s : surfaces_)
        destroySurface(*s);
    wl_display_flush(display_.display());
}

void Overlay::cover(const WaylandOutput& output) {
    auto s = std::make_unique<OutputSurface>();
    s->owner = this;
    s->outputName = output.name;
    s->surface = wl_compositor_create_surface(display_.compositor());
    s->layer = zwlr_layer_shell_v1_get_layer_surface(display_.layerShell(), s->surface, output.output,
                                                     ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "emberhall");
    zwlr_layer_surface_v1_set_anchor(s->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                   ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(s->layer, 0, 0); // the whole output
    zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1); // over panels too, moving nothing
    zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    zwlr_layer_surface_v1_add_listener(s->layer, &layerListener, s.get());
    if (display_.viewporter())
        s->viewport = wp_viewporter_get_viewport(display_.viewporter(), s->surface);
    wl_surface_commit(s->surface); // no picture yet: the compositor answers with the size
    surfaces_.push_back(std::move(s));
}

void Overlay::uncover(uint32_t outputName) {
    std::erase_if(surfaces_, [&](const std::unique_ptr<OutputSurface>& s) {
        if (s->outputName != outputName)
            return false;
        destroySurface(*s);
        return true;
    });
}

void Overlay::configure(OutputSurface& s, uint32_t serial, uint32_t width, uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(s.layer, serial);
    if (width == 0 || height == 0 || width > 1u << 15 || height > 1u << 15)
        return; // no size we can fill: wait for another
    const bool resized = int(width) != s.width || int(height) != s.height;
    s.width = int(width);
    s.height = int(height);
    s.configured = true;
    if (s.viewport) {
        wp_viewport_set_destination(s.viewport, s.width, s.height);
    } else if (resized) {
        s.stretched = std::make_unique<ShmFrames>(display_.shm(), s.width, s.height);
        s.scaler.configure(pictureWidth, pictureHeight, s.width, s.height, PixelLayout{});
    }
    wl_region* opaque = wl_compositor_create_region(display_.compositor());
    wl_region_add(opaque, 0, 0, s.width, s.height);
    wl_surface_set_opaque_region(s.surface, opaque);
    wl_region_destroy(opaque);
}

bool Overlay::anyReady() const {
    return std::any_of(surfaces_.begin(), surfaces_.end(), [](const auto& s) { return s->ready(); });
}

void Overlay::show(OutputSurface& s, const ShmFrame& frame) {
    wl_surface_attach(s.surface, frame.buffer, 0, 0);
    wl_surface_damage_buffer(s.surface, 0, 0, INT32_MAX, INT32_MAX);
    s.frameCallback = wl_surface_frame(s.surface);
    wl_callback_add_listener(s.frameCallback, &frameListener, &s);
    wl_surface_commit(s.surface);
}

void Overlay::present(int steps) {
    if (display_.viewporter()) {
        ShmFrame* frame = frames_.free(mostFrames());
        for (int i = 0; i < steps; ++i)
            scene_.drawFrame(frame->pixels);
        for (auto& s : surfaces_)
            if (s->ready())
                show(*s, *frame);
        frame->busy = true;
        return;
    }
    for (int i = 0; i < steps; ++i)
        scene_.drawFrame(picture_.data());
    for (auto& s : surfaces_) {
        ShmFrame* frame = s->ready() ? s->stretched->free(2) : nullptr;
        if (!frame)
            continue;
        s->scaler.scale(picture_.data(), frame->pixels, std::size_t(s->width));
        show(*s, *frame);
        frame->busy = true;
    }
}

bool Overlay::run() {
    if (!display_.viewporter())
        picture_.assign(std::size_t(pictureWidth) * pictureHeight, 0);
    display_.outputAdded = [this](const WaylandOutput& output) { cover(output); };
    display_.outputRemoved = [this](uint32_t name) { uncover(name); };
    for (const WaylandOutput& output : display_.outputs())
        cover(output);
    display_.inputSeen = false;
    display_.watchInput = true;

    scene_.openAudio(settings_);
    scene_.start(settings_);
    timespec deadline = monotonicNow();
    bool connected = true;
    while (connected && !stopRequested() && !display_.inputSeen) {
        std::erase_if(surfaces_, [](const std::unique_ptr<OutputSurface>& s) {
            if (s->closed)
                destroySurface(*s);
            return s->closed;
        });
        // With a picture wanted and a frame to draw it in, wake for the next step; otherwise
        // sleep until the compositor says something.
        const bool canDraw = anyReady() && (!display_.viewporter() || frames_.free(mostFrames()));
        if (!canDraw) {
            connected = display_.dispatch(-1);
            continue;
        }
        const int wait = millisecondsUntil(deadline);
        if (wait > 0) {
            connected = display_.dispatch(wait);
            continue;
        }
        int steps = 1;
        while (steps < catchUpLimit && !before(monotonicNow(), later(deadline, long(steps) * frameNanoseconds)))
            ++steps;
        present(steps);
        deadline = later(deadline, long(steps) * frameNanoseconds);
        if (before(deadline, monotonicNow())) // hidden for a while: go on from now
            deadline = monotonicNow();
        connected = display_.dispatch(0);
    }
    scene_.stop();
    return connected;
}

int connectionLost() {
    std::fputs("emberhall: the Wayland display closed the connection\n", stderr);
    return 1;
}

bool hasLayerShell(const WaylandDisplay& display) {
    if (display.layerShell())
        return true;
    std::fputs("emberhall: this Wayland desktop has no layer shell (zwlr_layer_shell_v1; GNOME has none), "
               "so nothing can cover its screens; run emberhall without options for a window instead\n",
               stderr);
    return false;
}

// Waits for the compositor's idle notification: set when the seat has been idle long enough.
struct IdleWatch {
    bool idle = false;
    ext_idle_notification_v1* notification = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout = nullptr;

    static constexpr ext_idle_notification_v1_listener listener = {
        [](void* data, ext_idle_notification_v1*) { static_cast<IdleWatch*>(data)->idle = true; },
        [](void* data, ext_idle_notification_v1*) { static_cast<IdleWatch*>(data)->idle = false; },
    };
    static constexpr org_kde_kwin_idle_timeout_listener kdeListener = {
        [](void* data, org_kde_kwin_idle_timeout*) { static_cast<IdleWatch*>(data)->idle = true; },
        [](void* data, org_kde_kwin_idle_timeout*) { static_cast<IdleWatch*>(data)->idle = false; },
    };

    ~IdleWatch() {
        if (notification)
            ext_idle_notification_v1_destroy(notification);
        if (kdeTimeout)
            org_kde_kwin_idle_timeout_release(kdeTimeout);
    }
};

// Connected to a compositor that can show the saver above its windows; false after one line
// that says what is missing.
bool connectForOverlay(WaylandDisplay& display) {
    std::string error;
    if (!display.connect(error)) {
        std::fprintf(stderr, "emberhall: %s\n", error.c_str());
        return false;
    }
    return hasLayerShell(display);
}
} // namespace

int runWaylandOverlay(const Settings& settings, const SharedPlaces& places, Clock& clock) {
    WaylandDisplay display;
    if (!connectForOverlay(display))
        return 1;
    Overlay overlay(display, settings, places, clock);
    return overlay.run() ? 0 : connectionLost();
}

int runWaylandIdle(uint32_t idleMilliseconds, const Settings& settings, const SharedPlaces& places,
                   Clock& clock) {
    WaylandDisplay display;
    if (!connectForOverlay(display))
        return 1;
    if (!display.seat() || (!display.idleNotifier() && !display.kdeIdle())) {
        std::fputs("emberhall: this Wayland desktop tells no program when it is idle (it has neither "
                   "ext_idle_notifier_v1 nor org_kde_kwin_idle); start \"emberhall --overlay\" from its "
                   "own idle settings instead\n",
                   stderr);
        return 1;
    }
    IdleWatch watch;
    if (display.idleNotifier()) {
        watch.notification = ext_idle_notifier_v1_get_idle_notification(display.idleNotifier(),
                                                                        idleMilliseconds, display.seat());
        ext_idle_notification_v1_add_listener(watch.notification, &IdleWatch::listener, &watch);
    } else {
        watch.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(display.kdeIdle(), display.seat(), idleMilliseconds);
        org_kde_kwin_idle_timeout_add_listener(watch.kdeTimeout, &IdleWatch::kdeListener, &watch);
    }
    while (!stopRequested()) {
        // Asleep in poll until the compositor speaks: no frames, no timers.
        if (!display.dispatch(-1))
            return connectionLost();
        if (!watch.idle || stopRequested())
            continue;
        {
            Overlay overlay(display, settings, places, clock);
            if (!overlay.run())
                return connectionLost();
        }
        // The sound device and its threads go too, so that nothing runs while waiting; and the
        // next cover waits for the next idle time.
        closeAudio();
        watch.idle = false;
    }
    return 0;
}
