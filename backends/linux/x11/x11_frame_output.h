#pragma once
// The frame output on an X display: the console is an X11 window. The picture fills the window
// and follows its resizes, nearest neighbour. Where the server has the RENDER extension, the picture goes to it
// at its own size, 1024 x 768, and the server scales it (on a GPU-backed server at no cost to
// anyone; the program's own work then does not grow with the screen); elsewhere we stretch it
// to the window's size ourselves. It travels through shared memory (MIT-SHM) when the server
// offers it and the display is local, and with plain XPutImage otherwise (a remote display).
#include <X11/Xlib.h>

#include "linux/common/picture_scaler.h"
#include "seams/frame_output.h"

// An X window id passed through the frame output's window handle.
inline NativeWindow nativeWindowOf(Window window) {
    return reinterpret_cast<NativeWindow>(static_cast<uintptr_t>(window));
}

class X11FrameOutput final : public FrameOutput {
  public:
    explicit X11FrameOutput(Display* display);

    PixelConsole* createConsole() override;
    // The window must have a TrueColor visual of depth 24 or 32 with 32-bit pixels
    // (visualSupported tells).
    void openConsole(PixelConsole* console, NativeWindow window, int32_t width, int32_t height,
                     PixelFormat* format, int32_t pages) override;
    void updateConsole(PixelConsole* console) override;
    void closeConsole(PixelConsole* console) override;
    void destroyConsole(PixelConsole* console) override;
    // A surface in memory shared with the server when it can be: with RENDER the server then
    // reads the picture where the scene draws it, with no copy of ours in between. Every
    // surface it makes knows whether it is shared, so a console handed one needs to ask no one.
    PixelSurface* createSurface(int32_t width, int32_t height, PixelFormat* format) override;
    void destroySurface(PixelSurface* surface) override;

    // The window's size changed: the next update fills the new size.
    void resizeConsole(PixelConsole* console, int width, int height);

    // Whether a window of this visual and depth can be drawn into.
    static bool visualSupported(Display* display, const Visual* visual, int depth);

  private:
    Display* display_;
};
