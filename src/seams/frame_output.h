#pragma once
// Frame output: how a finished picture reaches the screen. A console shows pictures in a window;
// a surface holds one picture in a pixel format. A saver creates one console and one surface,
// locks the surface once for its pixel address and writes every frame through that address, so
// a surface's pixels stay at one address, with a row stride of exactly its width, from its
// creation to its destruction.
//
// Formats and surfaces are plain memory by default; each backend brings its own console (GDI on
// Windows, an X11 window or the Wayland outputs on Linux, the canvas in a page, memory in the
// tests), and may keep its surfaces where its console reads them best (X11: memory shared with
// the server). A console is handed only surfaces of its own frame output. Every operation
// accepts null handles and then does nothing.
#include <cstdint>

struct PixelFormat {
    int32_t bits = 0;
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
};

struct PixelSurface {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr; // width x height words 0x00RRGGBB, 64-byte aligned
};

// One backend's console. The picture handed to it is shown at the next update.
class PixelConsole {
  public:
    virtual ~PixelConsole() = default;
    bool open = false;
    const PixelSurface* handed = nullptr;
};

// The window a console shows its pictures in, as the backend knows it (an HWND on Windows).
using NativeWindow = void*;

class FrameOutput {
  public:
    virtual ~FrameOutput() = default;

    // --- the console, which each backend realises ---
    virtual PixelConsole* createConsole() = 0;
    // Binds the console to the window at the picture's size. Where the screen is larger than the
    // picture, the picture is stretched over it; the display mode is never changed.
    virtual void openConsole(PixelConsole* console, NativeWindow window, int32_t width,
                             int32_t height, PixelFormat* format, int32_t pages) = 0;
    // Hands the whole picture of the surface to the console.
    virtual void copySurface(PixelSurface* surface, PixelConsole* console);
    // Makes the handed picture visible.
    virtual void updateConsole(PixelConsole* console) = 0;
    virtual void closeConsole(PixelConsole* console);
    virtual void destroyConsole(PixelConsole* console);

    // --- formats and surfaces, plain memory ---
    virtual PixelFormat* createFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                                      uint32_t blueMask, uint32_t alphaMask);
    virtual void destroyFormat(PixelFormat* format);
    // A new surface is black.
    virtual PixelSurface* createSurface(int32_t width, int32_t height, PixelFormat* format);
    virtual uint32_t* lockSurface(PixelSurface* surface);
    virtual void unlockSurface(PixelSurface* surface);
    virtual void destroySurface(PixelSurface* surface);
};

// A saver's picture as every backend sets it up, in this order: a console opened on the window
// at the picture's size, the 32-bit format 0x00RRGGBB, one surface in it, locked once for the
// address every frame is written through. Nothing of it is checked: a missing piece shows no
// picture, and drawing into a null address is the caller's to avoid.
class SaverPicture {
  public:
    SaverPicture() = default;
    ~SaverPicture() { destroy(); }
    SaverPicture(const SaverPicture&) = delete;
    SaverPicture& operator=(const SaverPicture&) = delete;

    void open(FrameOutput& output, NativeWindow window, int32_t width, int32_t height);
    // The frame buffer: width x height pixels, rows of exactly the width; null when none.
    uint32_t* pixels() const { return pixels_; }
    PixelConsole* console() const { return console_; }
    // Hands the surface's picture to the console and makes it visible.
    void present();
    // Closes the console; what it showed stays until destroy.
    void close();
    // Destroys the surface, the format and the console, in that order.
    void destroy();

  private:
    FrameOutput* output_ = nullptr;
    PixelConsole* console_ = nullptr;
    PixelFormat* format_ = nullptr;
    PixelSurface* surface_ = nullptr;
    uint32_t* pixels_ = nullptr;
};
