#pragma once
// The frame output on a Wayland desktop. Its console covers every output of the display, each
// with the whole picture (linux/wayland/wayland_output_surfaces.h), and follows outputs that are
// plugged in or taken away while it is open.
//
// An update shows the picture only on the outputs that wait for one (they showed the last one);
// an output that is switched off or hidden costs nothing. The picture goes to the compositor at
// its own size, 1024 x 768, and the compositor scales it. The surface the scene draws into lies
// in shared memory itself, and goes to the compositor as it is where the compositor copies it
// when it is shown and lets go of it (GNOME, KDE Plasma, wlroots on a GPU). A compositor that
// keeps the frame it shows until another replaces it gets a copy in a frame of its own instead,
// so the scene never draws into a picture on screen. A compositor without wp_viewporter gets
// the picture stretched by us into frames of each output's size.
#include <cstdint>

#include "seams/frame_output.h"

class WaylandDisplay;

class WaylandFrameOutput final : public FrameOutput {
  public:
    explicit WaylandFrameOutput(WaylandDisplay& display) : display_(display) {}

    PixelConsole* createConsole() override;
    // The window is not used: the console covers every output of the display. One console of a
    // display is open at a time.
    void openConsole(PixelConsole* console, NativeWindow window, int32_t width, int32_t height,
                     PixelFormat* format, int32_t pages) override;
    void updateConsole(PixelConsole* console) override;
    // Takes the surfaces off the outputs.
    void closeConsole(PixelConsole* console) override;
    void destroyConsole(PixelConsole* console) override;
    // In shared memory, where the compositor can read it.
    PixelSurface* createSurface(int32_t width, int32_t height, PixelFormat* format) override;
    void destroySurface(PixelSurface* surface) override;

    // Whether an output waits for a picture, there is a frame to give it in, and the compositor
    // does not hold the scene's own: the saver draws only then, and otherwise sleeps until the
    // compositor says something.
    bool wantsPicture(PixelConsole* console);
    // Whether the user closed one of its full-screen windows (GNOME: Alt+F4, say).
    bool closedByUser(const PixelConsole* console) const;

  private:
    WaylandDisplay& display_;
};
