#include "testing/memory_frame_output.h"

#include <new>
#include <vector>

namespace {
struct MemoryConsole final : PixelConsole {
    std::vector<uint32_t> presented;
};
} // namespace

PixelConsole* MemoryFrameOutput::createConsole() { return new (std::nothrow) MemoryConsole; }

void MemoryFrameOutput::openConsole(PixelConsole* console, NativeWindow, int32_t, int32_t,
                                    PixelFormat*, int32_t) {
    if (console)
        console->open = true;
}

void MemoryFrameOutput::updateConsole(PixelConsole* base) {
    auto* console = static_cast<MemoryConsole*>(base);
    if (!console || !console->open || !console->handed || !console->handed->pixels)
        return;
    const PixelSurface& surface = *console->handed;
    console->presented.assign(surface.pixels,
                              surface.pixels + std::size_t(surface.width) * surface.height);
}

std::span<const uint32_t> MemoryFrameOutput::presentedPicture(const PixelConsole* console) {
    if (!console)
        return {};
    return static_cast<const MemoryConsole*>(console)->presented;
}
