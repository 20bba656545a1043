#pragma once
// Frame output: a console that shows pictures in a window, a pixel format, and surfaces that
// hold one picture each. A surface's pixels are allocated once, at one address with a row
// stride of exactly its width, from creation to destruction, so a caller may lock once, keep
// the address and write through it every frame.
//
// Backends: GDI on Windows (pixel_console_win.cpp), memory on Linux (pixel_console_native.cpp),
// which keeps what was presented for tests. Every operation accepts null handles and then does
// nothing.
#include <cstdint>
#include <span>

struct PixelConsole;
struct PixelFormat;
struct PixelSurface;

PixelConsole* pixelCreateConsole();
PixelFormat* pixelCreateFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                               uint32_t blueMask, uint32_t alphaMask);
// Binds the console to a window (an HWND on Windows). On a screen larger than the picture the
// console stretches the picture over every monitor; it never changes the display mode. The
// mouse cursor is hidden while the console is open.
void pixelOpenConsole(PixelConsole* console, void* window, int32_t width, int32_t height,
                      PixelFormat* format, int32_t pages);
PixelSurface* pixelCreateSurface(int32_t width, int32_t height, PixelFormat* format);
uint32_t* pixelLockSurface(PixelSurface* surface);
void pixelUnlockSurface(PixelSurface* surface);
// Hands the whole picture of the surface to the console.
void pixelCopySurface(PixelSurface* surface, PixelConsole* console);
// Makes the handed picture visible.
void pixelUpdateConsole(PixelConsole* console);
void pixelCloseConsole(PixelConsole* console);
void pixelDestroySurface(PixelSurface* surface);
void pixelDestroyFormat(PixelFormat* format);
void pixelDestroyConsole(PixelConsole* console);

// --- shared between the backends ---
struct PixelFormat {
    int32_t bits;
    uint32_t redMask, greenMask, blueMask, alphaMask;
};

struct PixelSurface {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr; // width x height words, 64-byte aligned
};

// Memory backend only: the picture the console showed last, and how many times it updated.
std::span<const uint32_t> pixelPresentedPicture(const PixelConsole* console);
int pixelPresentCount(const PixelConsole* console);
