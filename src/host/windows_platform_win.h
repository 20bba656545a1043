#pragma once
// The saver run's services on Windows.
#include <windows.h>

#include <memory>

#include "host/saver_platform.h"

class MouseWatch;

class WindowsSaverPlatform final : public SaverPlatform {
  public:
    explicit WindowsSaverPlatform(HINSTANCE instance);
    ~WindowsSaverPlatform() override;

    HWND window() const { return window_; }

    uint32_t tickCount() override;
    uint32_t calendarSeconds() override;
    bool escapeDown() override;
    void createSaverWindow() override;
    bool drainMessages() override;

    void createMouseWatch() override;
    MouseReading pollMouse() override;
    void releaseMouseWatch() override;

    void openAudio() override;
    uint32_t startFireSound() override;
    void startMusic() override;
    void stopAudio(uint32_t fireStream) override;

    PixelConsole* createConsole() override;
    PixelFormat* createFormat(int32_t bits, uint32_t redMask, uint32_t greenMask,
                              uint32_t blueMask, uint32_t alphaMask) override;
    void openConsole(PixelConsole* console, int32_t width, int32_t height, PixelFormat* format,
                     int32_t pages) override;
    PixelSurface* createSurface(int32_t width, int32_t height, PixelFormat* format) override;
    uint32_t* lockSurface(PixelSurface* surface) override;
    void unlockSurface(PixelSurface* surface) override;
    void copySurface(PixelSurface* surface, PixelConsole* console) override;
    void updateConsole(PixelConsole* console) override;
    void closeConsole(PixelConsole* console) override;
    void destroySurface(PixelSurface* surface) override;
    void destroyFormat(PixelFormat* format) override;
    void destroyConsole(PixelConsole* console) override;

  private:
    HINSTANCE instance_;
    HWND window_ = nullptr;
    // Owned; left alone on the quit exit, when the end of the process gives the device back.
    MouseWatch* mouseWatch_ = nullptr;
};
