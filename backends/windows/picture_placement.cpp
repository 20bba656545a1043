#include "windows/picture_placement.h"

#include <algorithm>

ScreenRect boundingRect(std::span<const ScreenRect> monitors) {
    ScreenRect box;
    bool first = true;
    for (const ScreenRect& monitor : monitors) {
        if (monitor.width() <= 0 || monitor.height() <= 0)
            continue;
        if (first) {
            box = monitor;
            first = false;
            continue;
        }
        box.left = std::min(box.left, monitor.left);
        box.top = std::min(box.top, monitor.top);
        box.right = std::max(box.right, monitor.right);
        box.bottom = std::max(box.bottom, monitor.bottom);
    }
    return box;
}

std::vector<ScreenRect> picturePlacements(std::span<const ScreenRect> monitors,
                                          const ScreenRect& fallback) {
    const ScreenRect box = boundingRect(monitors);
    std::vector<ScreenRect> placements;
    for (const ScreenRect& monitor : monitors) {
        if (monitor.width() <= 0 || monitor.height() <= 0)
            continue;
        placements.push_back({monitor.left - box.left, monitor.top - box.top,
                              monitor.right - box.left, monitor.bottom - box.top});
    }
    if (placements.empty())
        placements.push_back({0, 0, fallback.width(), fallback.height()});
    return placements;
}
