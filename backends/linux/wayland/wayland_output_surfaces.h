#pragma once
// One output covered by a surface of ours: the whole output, opaque, with the keyboard.
// - Where the compositor has the layer shell (sway, KDE Plasma, Hyprland), on its overlay
//   layer, above every window and panel.
// - Elsewhere (GNOME), as a full-screen xdg_toplevel on that output: GNOME hides its top bar on
//   a monitor whose topmost window is full screen. The output is named before the first commit,
//   and should the compositor show the window on another output all the same (wl_surface.enter
//   tells), it is asked again.
// The compositor scales the picture to the output (wp_viewporter) where it can; otherwise the
// frame output stretches it into frames of the surface's size.
#include <cstdint>

#include "linux/wayland/wayland_display.h"

struct wl_surface;
struct wl_callback;
struct wp_viewport;
struct zwlr_layer_surface_v1;
struct xdg_surface;
struct xdg_toplevel;
struct ShmFrame;

class OutputSurface {
  public:
    OutputSurface(WaylandDisplay& display, const WaylandOutput& output);
    ~OutputSurface();
    OutputSurface(const OutputSurface&) = delete;
    OutputSurface& operator=(const OutputSurface&) = delete;

    uint32_t outputName() const { return output_.name; }
    // Has a size and shows the last picture given: waiting for the next one.
    bool ready() const { return configured_ && !gone_ && !frameCallback_; }
    // The compositor took it away (its output went) or the user closed the window.
    bool gone() const { return gone_; }
    bool closedByUser() const { return closedByUser_; }
    // As configured, in the output's logical pixels; what a frame must measure without a
    // viewport.
    int width() const { return width_; }
    int height() const { return height_; }
    bool scaledByCompositor() const { return viewport_ != nullptr; }

    // Shows the frame, and asks to hear when it is on screen.
    void show(const ShmFrame& frame);

    // The protocol's listeners, which reach into the surface.
    void onConfigure(uint32_t serial);
    void onSize(uint32_t width, uint32_t height);
    void onEnter(const struct wl_output* output);
    void onFrameDone();
    void onClosed(bool byUser);

  private:
    void coverWithLayer();
    void coverWithToplevel();

    WaylandDisplay& display_;
    WaylandOutput output_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wl_callback* frameCallback_ = nullptr; // asked for with the last picture; gone when shown
    uint32_t pendingWidth_ = 0;            // from the toplevel's configure, until acknowledged
    uint32_t pendingHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool configured_ = false;
    bool gone_ = false;
    bool closedByUser_ = false;
};
