#pragma once
// Frame output into the page's canvas. The console turns each picture from the saver's
// 0x00RRGGBB words into the canvas's RGBA bytes and hands them to the page, which puts them into
// its 1024 x 768 canvas; the page stretches the canvas over the window.
#include "seams/frame_output.h"

class WebFrameOutput final : public FrameOutput {
  public:
    PixelConsole* createConsole() override;
    // The window is the page's one canvas; `window` is not used.
    void openConsole(PixelConsole* console, NativeWindow window, int32_t width, int32_t height,
                     PixelFormat* format, int32_t pages) override;
    void updateConsole(PixelConsole* console) override;
};
