#pragma once
// Where the picture goes on the screens: every monitor shows the whole picture stretched to
// fill it, so no monitor shows the desktop while the saver runs. The saver's window covers the
// bounding box of all monitors; the copies are placed in that window's coordinates.
#include <cstdint>
#include <span>
#include <vector>

struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// The smallest rectangle around every monitor (desktop coordinates; the primary monitor's
// top-left is (0, 0), others may lie at negative coordinates).
ScreenRect boundingRect(std::span<const ScreenRect> monitors);

// One destination rectangle per monitor with a non-empty area, relative to the bounding
// rectangle's top-left corner. With no usable monitor, the fallback covers the whole window.
std::vector<ScreenRect> picturePlacements(std::span<const ScreenRect> monitors,
                                          const ScreenRect& fallback);
