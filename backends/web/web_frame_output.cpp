#include "web/web_frame_output.h"

#include <emscripten.h>

#include <cstddef>
#include <vector>

namespace {
class CanvasConsole final : public PixelConsole {
  public:
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> rgba; // the canvas's bytes R, G, B, A, as little-endian words
};

// 0x00RRGGBB to the bytes R, G, B, 255.
uint32_t canvasPixel(uint32_t colour) {
    return 0xFF000000u | ((colour >> 16) & 0xFFu) | (colour & 0xFF00u) | ((colour & 0xFFu) << 16);
}

// clang-format off
EM_JS(void, pageOpenCanvas, (int width, int height), {
    Module.page.openCanvas(width, height);
});
EM_JS(void, pageShowPicture, (const void* rgba, int width, int height), {
    Module.page.showPicture(rgba, width, height);
});
// clang-format on
} // namespace

PixelConsole* WebFrameOutput::createConsole() {
    return new CanvasConsole;
}

void WebFrameOutput::openConsole(PixelConsole* console, NativeWindow, int32_t width, int32_t height,
                                 PixelFormat*, int32_t) {
    auto* canvas = static_cast<CanvasConsole*>(console);
    if (!canvas || width <= 0 || height <= 0)
        return;
    canvas->width = width;
    canvas->height = height;
    canvas->rgba.assign(std::size_t(width) * std::size_t(height), 0xFF000000u);
    canvas->open = true;
    pageOpenCanvas(width, height);
}

void WebFrameOutput::updateConsole(PixelConsole* console) {
    auto* canvas = static_cast<CanvasConsole*>(console);
    if (!canvas || !canvas->open || !canvas->handed)
        return;
    const PixelSurface& surface = *canvas->handed;
    if (surface.width != canvas->width || surface.height != canvas->height)
        return;
    const std::size_t count = canvas->rgba.size();
    for (std::size_t i = 0; i < count; ++i)
        canvas->rgba[i] = canvasPixel(surface.pixels[i]);
    pageShowPicture(canvas->rgba.data(), canvas->width, canvas->height);
}
