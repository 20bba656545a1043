#pragma once
// The frame output on Windows: GDI. The console grows its window over every monitor and
// stretches the one picture onto each with StretchDIBits; the mouse cursor is hidden while the
// console is open.
#include "seams/frame_output.h"

class GdiFrameOutput final : public FrameOutput {
  public:
    PixelConsole* createConsole() override;
    void openConsole(PixelConsole* console, NativeWindow window, int32_t width, int32_t height,
                     PixelFormat* format, int32_t pages) override;
    void updateConsole(PixelConsole* console) override;
    void closeConsole(PixelConsole* console) override;
    void destroyConsole(PixelConsole* console) override;
};
