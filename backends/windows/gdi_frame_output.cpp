// The GDI console: the picture is stretched onto every monitor with StretchDIBits. Colour-on-
// colour stretching keeps a frame well under a millisecond; halftone would cost about 15 ms.
#include <windows.h>

#include <new>
#include <vector>

#include "windows/gdi_frame_output.h"
#include "windows/picture_placement.h"

namespace {
struct GdiConsole final : PixelConsole {
    HWND window = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool cursorHidden = false;
    std::vector<ScreenRect> placements;
    BITMAPINFO info = {};
};

BOOL CALLBACK collectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    auto* monitors = reinterpret_cast<std::vector<ScreenRect>*>(data);
    monitors->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

std::vector<ScreenRect> systemMonitors() {
    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}
} // namespace

PixelConsole* GdiFrameOutput::createConsole() { return new (std::nothrow) GdiConsole; }

void GdiFrameOutput::openConsole(PixelConsole* base, NativeWindow window, int32_t width,
                                 int32_t height, PixelFormat*, int32_t) {
    auto* console = static_cast<GdiConsole*>(base);
    if (!console || width <= 0 || height <= 0)
        return;
    console->window = static_cast<HWND>(window);
    console->width = width;
    console->height = height;

    // The window grows to cover every monitor; each monitor then gets the whole picture.
    const std::vector<ScreenRect> monitors = systemMonitors();
    ScreenRect cover = boundingRect(monitors);
    if (cover.width() <= 0 || cover.height() <= 0)
        cover = {0, 0, width, height};
    console->placements = picturePlacements(monitors, cover);
    if (console->window) {
        SetWindowPos(console->window, HWND_TOPMOST, cover.left, cover.top, cover.width(),
                     cover.height(), SWP_SHOWWINDOW);
    }

    BITMAPINFOHEADER& header = console->info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height; // top row first
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB; // 32-bit BI_RGB words are 0x00RRGGBB
    console->open = true;
    if (!console->cursorHidden) {
        ShowCursor(FALSE);
        console->cursorHidden = true;
    }
}

void GdiFrameOutput::updateConsole(PixelConsole* base) {
    auto* console = static_cast<GdiConsole*>(base);
    if (!console || !console->open || !console->window || !console->handed ||
        !console->handed->pixels)
        return;
    HDC dc = GetDC(console->window);
    if (!dc)
        return;
    SetStretchBltMode(dc, COLORONCOLOR);
    for (const ScreenRect& place : console->placements) {
        StretchDIBits(dc, place.left, place.top, place.width(), place.height(), 0, 0,
                      console->width, console->height, console->handed->pixels, &console->info,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    ReleaseDC(console->window, dc);
}

void GdiFrameOutput::closeConsole(PixelConsole* base) {
    auto* console = static_cast<GdiConsole*>(base);
    if (!console)
        return;
    console->open = false;
    if (console->cursorHidden) {
        ShowCursor(TRUE);
        console->cursorHidden = false;
    }
}

void GdiFrameOutput::destroyConsole(PixelConsole* console) {
    // Destroyed without being closed (the quit exit): the cursor comes back all the same.
    closeConsole(console);
    delete console;
}
