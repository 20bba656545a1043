// The memory console: it shows nothing, but keeps the last picture it was asked to show, so
// tests can look at what a user would have seen.
#include <algorithm>
#include <new>
#include <vector>

#include "pixel/pixel_toolkit.h"

struct PixelConsole {
    bool open = false;
    const PixelSurface* handed = nullptr;
    std::vector<uint32_t> presented;
    int presentCount = 0;
};

PixelConsole* pixelCreateConsole() { return new (std::nothrow) PixelConsole; }

void pixelOpenConsole(PixelConsole* console, void*, int32_t, int32_t, PixelFormat*, int32_t) {
    if (console)
        console->open = true;
}

void pixelCopySurface(PixelSurface* surface, PixelConsole* console) {
    if (console)
        console->handed = surface;
}

void pixelUpdateConsole(PixelConsole* console) {
    if (!console || !console->open || !console->handed || !console->handed->pixels)
        return;
    const PixelSurface& surface = *console->handed;
    console->presented.assign(surface.pixels,
                              surface.pixels + std::size_t(surface.width) * surface.height);
    ++console->presentCount;
}

void pixelCloseConsole(PixelConsole* console) {
    if (console)
        console->open = false;
}

void pixelDestroyConsole(PixelConsole* console) { delete console; }

std::span<const uint32_t> pixelPresentedPicture(const PixelConsole* console) {
    if (!console)
        return {};
    return console->presented;
}

int pixelPresentCount(const PixelConsole* console) { return console ? console->presentCount : 0; }
