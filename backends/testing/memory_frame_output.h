#pragma once
// The memory frame output: it shows nothing, but keeps the last picture it was asked to show, so
// tests can look at what a user would have seen.
#include <cstdint>
#include <span>

#include "seams/frame_output.h"

class MemoryFrameOutput : public FrameOutput {
  public:
    PixelConsole* createConsole() override;
    void openConsole(PixelConsole* console, NativeWindow window, int32_t width, int32_t height,
                     PixelFormat* format, int32_t pages) override;
    void updateConsole(PixelConsole* console) override;

    // The picture the console showed last (empty before the first update).
    static std::span<const uint32_t> presentedPicture(const PixelConsole* console);
};
