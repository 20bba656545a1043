#include "linux/wayland/wayland_output_surfaces.h"

#include <climits>

#include "linux/wayland/wayland_protocols.h"
#include "linux/wayland/wayland_shm_frames.h"
#include "scene/fire_scene.h"

namespace {
constexpr const char* title = "Emberhall";
constexpr const char* appId = "emberhall";
// A side the compositor can scale the picture to; without a viewport, the frames must fit too.
constexpr uint32_t largestScaledSide = 1u << 15;

OutputSurface& self(void* data) {
    return *static_cast<OutputSurface*>(data);
}

const zwlr_layer_surface_v1_listener layerListener = {
    [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height) {
        self(data).onSize(width, height);
        self(data).onConfigure(serial);
    },
    [](void* data, zwlr_layer_surface_v1*) { self(data).onClosed(false); },
};

const xdg_surface_listener xdgSurfaceListener = {
    [](void* data, xdg_surface*, uint32_t serial) { self(data).onConfigure(serial); }};

const xdg_toplevel_listener toplevelListener = {
    [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
        self(data).onSize(uint32_t(width > 0 ? width : 0), uint32_t(height > 0 ? height : 0));
    },
    [](void* data, xdg_toplevel*) { self(data).onClosed(true); },
    [](void*, xdg_toplevel*, int32_t, int32_t) {}, // bounds: a full-screen window has its output's
    [](void*, xdg_toplevel*, wl_array*) {},
};

const wl_surface_listener surfaceListener = {
    [](void* data, wl_surface*, wl_output* output) { self(data).onEnter(output); },
    [](void*, wl_surface*, wl_output*) {},
};

const wl_callback_listener frameListener = {
    [](void* data, wl_callback*, uint32_t) { self(data).onFrameDone(); }};
} // namespace

OutputSurface::OutputSurface(WaylandDisplay& display, const WaylandOutput& output)
    : display_(display), output_(output) {
    surface_ = wl_compositor_create_surface(display.compositor());
    wl_surface_add_listener(surface_, &surfaceListener, this);
    if (display.layerShell())
        coverWithLayer();
    else
        coverWithToplevel();
    if (display.viewporter())
        viewport_ = wp_viewporter_get_viewport(display.viewporter(), surface_);
    wl_surface_commit(surface_); // no picture yet: the compositor answers with the size
}

void OutputSurface::coverWithLayer() {
    layer_ = zwlr_layer_shell_v1_get_layer_surface(display_.layerShell(), surface_, output_.output,
                                                   ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, appId);
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(layer_, 0, 0);         // the whole output
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1); // over panels too, moving nothing
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    zwlr_layer_surface_v1_add_listener(layer_, &layerListener, this);
}

void OutputSurface::coverWithToplevel() {
    xdgSurface_ = xdg_wm_base_get_xdg_surface(display_.xdgShell(), surface_);
    xdg_surface_add_listener(xdgSurface_, &xdgSurfaceListener, this);
    toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
    xdg_toplevel_add_listener(toplevel_, &toplevelListener, this);
    xdg_toplevel_set_title(toplevel_, title);
    xdg_toplevel_set_app_id(toplevel_, appId);
    xdg_toplevel_set_fullscreen(toplevel_, output_.output);
}

OutputSurface::~OutputSurface() {
    if (frameCallback_)
        wl_callback_destroy(frameCallback_);
    if (viewport_)
        wp_viewport_destroy(viewport_);
    if (layer_)
        zwlr_layer_surface_v1_destroy(layer_);
    if (toplevel_)
        xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_)
        xdg_surface_destroy(xdgSurface_);
    wl_surface_destroy(surface_);
}

void OutputSurface::onSize(uint32_t width, uint32_t height) {
    pendingWidth_ = width;
    pendingHeight_ = height;
}

void OutputSurface::onConfigure(uint32_t serial) {
    if (layer_)
        zwlr_layer_surface_v1_ack_configure(layer_, serial);
    else
        xdg_surface_ack_configure(xdgSurface_, serial);
    uint32_t width = pendingWidth_;
    uint32_t height = pendingHeight_;
    if (toplevel_ && (width == 0 || height == 0)) {
        // The size is left to us: the picture's own, which the compositor centres on the output.
        width = FireScene::width;
        height = FireScene::height;
    }
    const bool fits = viewport_ ? width > 0 && height > 0 && width <= largestScaledSide &&
                                      height <= largestScaledSide
                                : frameSizeFits(int(width), int(height));
    if (!fits)
        return; // no size we can fill: wait for another
    width_ = int(width);
    height_ = int(height);
    configured_ = true;
    if (viewport_)
        wp_viewport_set_destination(viewport_, width_, height_);
    wl_region* opaque = wl_compositor_create_region(display_.compositor());
    wl_region_add(opaque, 0, 0, width_, height_);
    wl_surface_set_opaque_region(surface_, opaque);
    wl_region_destroy(opaque);
}

void OutputSurface::onEnter(const wl_output* output) {
    if (toplevel_ && output != output_.output)
        xdg_toplevel_set_fullscreen(toplevel_, output_.output);
}

void OutputSurface::onFrameDone() {
    wl_callback_destroy(frameCallback_);
    frameCallback_ = nullptr;
}

void OutputSurface::onClosed(bool byUser) {
    gone_ = true;
    closedByUser_ = byUser;
}

void OutputSurface::show(const ShmFrame& frame) {
    wl_surface_attach(surface_, frame.buffer, 0, 0);
    wl_surface_damage_buffer(surface_, 0, 0, INT32_MAX, INT32_MAX);
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &frameListener, this);
    wl_surface_commit(surface_);
}
