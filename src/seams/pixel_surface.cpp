// The parts of the frame output that are the same for every backend: formats, surfaces (one
// aligned block of pixels each), the console's bookkeeping and a saver's picture set up on them.
#include <cstring>
#include <new>

#include "seams/frame_output.h"

namespace {
constexpr std::size_t pixelAlignment = 64;

// Aligned for the vector stores of the fire's palette lookup; plain C++, so no platform's own
// aligned allocator is needed.
uint32_t* allocatePixels(std::size_t bytes) {
    return static_cast<uint32_t*>(
        ::operator new(bytes, std::align_val_t(pixelAlignment), std::nothrow));
}

void freePixels(uint32_t* pixels) {
    if (pixels)
        ::operator delete(pixels, std::align_val_t(pixelAlignment));
}
} // namespace

void FrameOutput::copySurface(PixelSurface* surface, PixelConsole* console) {
    if (console)
        console->handed = surface;
}

void FrameOutput::closeConsole(PixelConsole* console) {
    if (console)
        console->open = false;
}

void FrameOutput::destroyConsole(PixelConsole* console) { delete console; }

PixelFormat* FrameOutput::createFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                                       uint32_t blueMask, uint32_t alphaMask) {
    return new (std::nothrow) PixelFormat{bits, redMask, greenMask, blueMask, alphaMask};
}

void FrameOutput::destroyFormat(PixelFormat* format) { delete format; }

PixelSurface* FrameOutput::createSurface(int32_t width, int32_t height, PixelFormat* format) {
    if (width <= 0 || height <= 0 || !format)
        return nullptr;
    auto* surface = new (std::nothrow) PixelSurface;
    if (!surface)
        return nullptr;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * sizeof(uint32_t);
    const std::size_t rounded = (bytes + pixelAlignment - 1) / pixelAlignment * pixelAlignment;
    surface->pixels = allocatePixels(rounded);
    if (!surface->pixels) {
        delete surface;
        return nullptr;
    }
    std::memset(surface->pixels, 0, rounded);
    surface->width = width;
    surface->height = height;
    return surface;
}

uint32_t* FrameOutput::lockSurface(PixelSurface* surface) {
    return surface ? surface->pixels : nullptr;
}

void FrameOutput::unlockSurface(PixelSurface*) {}

void FrameOutput::destroySurface(PixelSurface* surface) {
    if (!surface)
        return;
    freePixels(surface->pixels);
    delete surface;
}

void SaverPicture::open(FrameOutput& output, NativeWindow window, int32_t width, int32_t height) {
    output_ = &output;
    console_ = output.createConsole();
    format_ = output.createFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    output.openConsole(console_, window, width, height, format_, 0);
    surface_ = output.createSurface(width, height, format_);
    // The surface's pixels stay put for its whole life: lock once, keep the address, and write
    // every frame through it.
    pixels_ = output.lockSurface(surface_);
    output.unlockSurface(surface_);
}

void SaverPicture::present() {
    if (!output_)
        return;
    output_->copySurface(surface_, console_);
    output_->updateConsole(console_);
}

void SaverPicture::close() {
    if (output_)
        output_->closeConsole(console_);
}

void SaverPicture::destroy() {
    if (!output_)
        return;
    output_->destroySurface(surface_);
    output_->destroyFormat(format_);
    output_->destroyConsole(console_);
    output_ = nullptr;
    console_ = nullptr;
    format_ = nullptr;
    surface_ = nullptr;
    pixels_ = nullptr;
}
