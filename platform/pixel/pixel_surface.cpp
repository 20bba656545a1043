#include <cstdlib>
#include <cstring>
#include <new>

#include "pixel/pixel_toolkit.h"

namespace {
constexpr std::size_t pixelAlignment = 64;
}

PixelFormat* pixelCreateFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                               uint32_t blueMask, uint32_t alphaMask) {
    return new (std::nothrow) PixelFormat{bits, redMask, greenMask, blueMask, alphaMask};
}

void pixelDestroyFormat(PixelFormat* format) { delete format; }

PixelSurface* pixelCreateSurface(int32_t width, int32_t height, PixelFormat* format) {
    if (width <= 0 || height <= 0 || !format)
        return nullptr;
    auto* surface = new (std::nothrow) PixelSurface;
    if (!surface)
        return nullptr;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * sizeof(uint32_t);
    const std::size_t rounded = (bytes + pixelAlignment - 1) / pixelAlignment * pixelAlignment;
#ifdef _WIN32
    surface->pixels = static_cast<uint32_t*>(_aligned_malloc(rounded, pixelAlignment));
#else
    surface->pixels = static_cast<uint32_t*>(std::aligned_alloc(pixelAlignment, rounded));
#endif
    if (!surface->pixels) {
        delete surface;
        return nullptr;
    }
    // A new surface shows black until something is drawn.
    std::memset(surface->pixels, 0, rounded);
    surface->width = width;
    surface->height = height;
    return surface;
}

uint32_t* pixelLockSurface(PixelSurface* surface) { return surface ? surface->pixels : nullptr; }

void pixelUnlockSurface(PixelSurface*) {}

void pixelDestroySurface(PixelSurface* surface) {
    if (!surface)
        return;
#ifdef _WIN32
    _aligned_free(surface->pixels);
#else
    std::free(surface->pixels);
#endif
    delete surface;
}
