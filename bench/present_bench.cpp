// Presenting one frame under Windows (or Wine): the GDI console's stretch of the 1024 x 768
// picture onto the screen, next to the fire work of the same frame. Run it on the display to
// measure, e.g. under Wine on Xvfb:  wine build/windows/present_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "fire/fire_engine.h"
#include "windows/gdi_frame_output.h"
#include "windows/saver_window.h"

namespace {
constexpr int frames = 300;

double milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND window = createSaverWindow(instance, "EmberhallBench", "Emberhall", 1024, 768,
                                    saverWindowProc);
    GdiFrameOutput output;
    PixelConsole* console = output.createConsole();
    PixelFormat* format = output.createFormat(32, 0xFF0000, 0xFF00, 0xFF, 0);
    output.openConsole(console, window, 1024, 768, format, 0);
    PixelSurface* surface = output.createSurface(1024, 768, format);
    uint32_t* pixels = output.lockSurface(surface);
    FireEngine engine(1024, 768, 640);
    engine.blendPalettes(0);
    for (int i = 0; i < 768; ++i)
        engine.step();

    LARGE_INTEGER frequency, a, b, c;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> fire, present;
    for (int i = 0; i < frames; ++i) {
        QueryPerformanceCounter(&a);
        engine.step();
        engine.render(pixels);
        QueryPerformanceCounter(&b);
        output.copySurface(surface, console);
        output.updateConsole(console);
        GdiFlush();
        QueryPerformanceCounter(&c);
        fire.push_back(milliseconds(a, b, frequency));
        present.push_back(milliseconds(b, c, frequency));
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    std::printf("screen %dx%d, %d frames: fire work median %.3f ms, present median %.3f ms\n",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), frames, median(fire),
                median(present));
    output.closeConsole(console);
    output.destroySurface(surface);
    output.destroyFormat(format);
    output.destroyConsole(console);
    DestroyWindow(window);
    return 0;
}
