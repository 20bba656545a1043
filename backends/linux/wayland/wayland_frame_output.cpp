#include "linux/wayland/wayland_frame_output.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "linux/common/picture_scaler.h"
#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_output_surfaces.h"
#include "linux/wayland/wayland_protocols.h"
#include "linux/wayland/wayland_shm_frames.h"

namespace {
// One output under the console; without a viewport, with frames of its own size.
struct CoveredOutput {
    std::unique_ptr<OutputSurface> surface;
    std::unique_ptr<ShmFrames> stretched;
    PictureScaler scaler;
};

// The surface the scene draws into: itself a frame in shared memory where it can be (else the
// core's plain memory, which is always copied).
struct WaylandSurface final : PixelSurface {
    std::unique_ptr<ShmFrame> frame;
    PixelSurface* plain = nullptr;
    bool held() const { return frame && frame->busy; }
};

struct WaylandConsole final : PixelConsole {
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    std::unique_ptr<ShmFrames> frames; // copies of the picture at its own size, for scaled outputs
    std::vector<CoveredOutput> outputs;
    bool closedByUser = false;
    // The compositor keeps the frame it shows until another replaces it (wlroots' software
    // renderer does): it is given copies, so that the surface is free for the next picture.
    bool compositorHolds = false;

    const WaylandSurface* surface() const { return static_cast<const WaylandSurface*>(handed); }

    // One frame may be held by every output at once, and one more is drawn meanwhile.
    std::size_t mostFrames() const { return outputs.size() + 1; }

    void dropGone() {
        std::erase_if(outputs, [&](const CoveredOutput& o) {
            closedByUser |= o.surface->closedByUser();
            return o.surface->gone();
        });
    }
};

WaylandConsole* consoleOf(PixelConsole* console) {
    return static_cast<WaylandConsole*>(console);
}

// The output's own frames, made anew when the compositor gave the surface another size.
ShmFrames& stretchedFrames(wl_shm* shm, CoveredOutput& covered, const WaylandConsole& console) {
    const OutputSurface& s = *covered.surface;
    if (!covered.stretched || covered.stretched->width() != s.width() ||
        covered.stretched->height() != s.height()) {
        covered.stretched = std::make_unique<ShmFrames>(shm, s.width(), s.height());
        covered.scaler.configure(console.pictureWidth, console.pictureHeight, s.width(), s.height(),
                                 PixelLayout{});
    }
    return *covered.stretched;
}
} // namespace

PixelConsole* WaylandFrameOutput::createConsole() {
    return new (std::nothrow) WaylandConsole;
}

void WaylandFrameOutput::openConsole(PixelConsole* base, NativeWindow, int32_t width,
                                     int32_t height, PixelFormat*, int32_t) {
    WaylandConsole* console = consoleOf(base);
    if (!console || width <= 0 || height <= 0)
        return;
    console->pictureWidth = width;
    console->pictureHeight = height;
    console->frames = std::make_unique<ShmFrames>(display_.shm(), width, height);
    auto cover = [this, console](const WaylandOutput& output) {
        console->outputs.push_back(
            {std::make_unique<OutputSurface>(display_, output), nullptr, {}});
    };
    display_.outputAdded = cover;
    display_.outputRemoved = [console](uint32_t name) {
        std::erase_if(console->outputs,
                      [&](const CoveredOutput& o) { return o.surface->outputName() == name; });
    };
    for (const WaylandOutput& output : display_.outputs())
        cover(output);
    console->open = true;
}

bool WaylandFrameOutput::wantsPicture(PixelConsole* base) {
    WaylandConsole* console = consoleOf(base);
    if (!console || !console->open)
        return false;
    console->dropGone();
    const auto ready = [](const CoveredOutput& covered) { return covered.surface->ready(); };
    const auto scaledReady = [&](const CoveredOutput& covered) {
        return ready(covered) && covered.surface->scaledByCompositor();
    };
    // The scene's own frame is still held though an output showed it and waits for the next:
    // this compositor keeps what it shows. It is shown a copy of the same picture, which makes
    // it let go of ours; from then on it gets copies.
    if (console->surface() && console->surface()->held()) {
        if (std::any_of(console->outputs.begin(), console->outputs.end(), scaledReady)) {
            console->compositorHolds = true;
            updateConsole(console);
        }
        return false;
    }
    for (CoveredOutput& covered : console->outputs) {
        if (!ready(covered))
            continue;
        if (covered.surface->scaledByCompositor()) {
            if (!console->compositorHolds || console->frames->free(console->mostFrames()))
                return true;
        } else if (stretchedFrames(display_.shm(), covered, *console).free(2)) {
            return true;
        }
    }
    return false;
}

void WaylandFrameOutput::updateConsole(PixelConsole* base) {
    WaylandConsole* console = consoleOf(base);
    if (!console || !console->open || !console->handed || !console->handed->pixels)
        return;
    const WaylandSurface& surface = *console->surface();
    console->dropGone();
    // The outputs the compositor scales share one frame of the picture's size: the surface's
    // own, or a copy of it.
    ShmFrame* shared = nullptr;
    for (CoveredOutput& covered : console->outputs) {
        OutputSurface& s = *covered.surface;
        if (!s.ready())
            continue;
        if (s.scaledByCompositor()) {
            if (!shared && surface.frame && !surface.held() && !console->compositorHolds) {
                shared = surface.frame.get();
            } else if (!shared) {
                shared = console->frames->free(console->mostFrames());
                if (!shared)
                    continue;
                const std::size_t bytes =
                    std::size_t(surface.width) * std::size_t(surface.height) * 4;
                std::memcpy(shared->pixels, surface.pixels, std::min(bytes, shared->bytes));
            }
            s.show(*shared);
            continue;
        }
        ShmFrame* frame = stretchedFrames(display_.shm(), covered, *console).free(2);
        if (!frame)
            continue;
        covered.scaler.scale(surface.pixels, frame->pixels, std::size_t(s.width()));
        s.show(*frame);
        frame->busy = true;
    }
    if (shared)
        shared->busy = true;
}

bool WaylandFrameOutput::closedByUser(const PixelConsole* base) const {
    const auto* console = static_cast<const WaylandConsole*>(base);
    return console && console->closedByUser;
}

PixelSurface* WaylandFrameOutput::createSurface(int32_t width, int32_t height,
                                                PixelFormat* format) {
    if (width <= 0 || height <= 0 || !format)
        return nullptr;
    auto* surface = new (std::nothrow) WaylandSurface;
    if (!surface)
        return nullptr;
    surface->width = width;
    surface->height = height;
    surface->frame = makeShmFrame(display_.shm(), width, height);
    if (surface->frame) {
        surface->pixels = surface->frame->pixels;
    } else if ((surface->plain = FrameOutput::createSurface(width, height, format))) {
        surface->pixels = surface->plain->pixels;
    } else {
        delete surface;
        return nullptr;
    }
    return surface;
}

void WaylandFrameOutput::destroySurface(PixelSurface* base) {
    auto* surface = static_cast<WaylandSurface*>(base);
    if (!surface)
        return;
    FrameOutput::destroySurface(surface->plain);
    delete surface; // and its frame
}

void WaylandFrameOutput::closeConsole(PixelConsole* base) {
    WaylandConsole* console = consoleOf(base);
    if (!console)
        return;
    console->open = false;
    display_.outputAdded = nullptr;
    display_.outputRemoved = nullptr;
    console->outputs.clear();
    wl_display_flush(display_.display());
}

void WaylandFrameOutput::destroyConsole(PixelConsole* base) {
    closeConsole(base);
    delete consoleOf(base);
}
