#pragma once
// Everything a saver run needs from outside the portable core, as one flat interface: the
// tick counter and calendar, the keyboard, the saver window and its message queue, the frame
// output, the mouse watch and the sound steps. The Windows build implements it over Win32, GDI,
// DirectInput and the audio library; the tests implement it with a recording fake, so the
// order in which a run calls these is checked without Windows.
#include <cstdint>

#include "core/clock.h"

struct MouseReading {
    int32_t dx = 0;
    int32_t dy = 0;
    int32_t dz = 0;
    uint8_t buttons = 0; // bit 0: first button, bit 1: second button
};

// Handles of the frame output; each backend gives them its own meaning.
struct PixelConsole;
struct PixelFormat;
struct PixelSurface;

class SaverPlatform : public Clock {
  public:
    // --- keyboard and window ---
    // GetAsyncKeyState(VK_ESCAPE) has its top bit set.
    virtual bool escapeDown() = 0;
    // Registers the "Emberhall" class, creates the 1024 x 768 popup and puts it topmost at (0, 0).
    virtual void createSaverWindow() = 0;
    // Dispatches the saver window's pending messages; true when the quit message was taken,
    // which stops the draining at once.
    virtual bool drainMessages() = 0;

    // --- mouse watch ---
    virtual void createMouseWatch() = 0;
    virtual MouseReading pollMouse() = 0;
    // Gives the device back and deletes the watch.
    virtual void releaseMouseWatch() = 0;

    // --- sound ---
    virtual void openAudio() = 0;
    // Returns the fire sound's stream handle, 0 for none.
    virtual uint32_t startFireSound() = 0;
    virtual void startMusic() = 0;
    virtual void stopAudio(uint32_t fireStream) = 0;

    // --- frame output ---
    virtual PixelConsole* createConsole() = 0;
    virtual PixelFormat* createFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                                      uint32_t blueMask, uint32_t alphaMask) = 0;
    virtual void openConsole(PixelConsole* console, int32_t width, int32_t height,
                             PixelFormat* format, int32_t pages) = 0;
    virtual PixelSurface* createSurface(int32_t width, int32_t height, PixelFormat* format) = 0;
    virtual uint32_t* lockSurface(PixelSurface* surface) = 0;
    virtual void unlockSurface(PixelSurface* surface) = 0;
    virtual void copySurface(PixelSurface* surface, PixelConsole* console) = 0;
    virtual void updateConsole(PixelConsole* console) = 0;
    virtual void closeConsole(PixelConsole* console) = 0;
    virtual void destroySurface(PixelSurface* surface) = 0;
    virtual void destroyFormat(PixelFormat* format) = 0;
    virtual void destroyConsole(PixelConsole* console) = 0;
};
