#include "web/page_clock.h"

#include <cmath>

double PageClock::now() const {
    return (pausedAt_ >= 0 ? pausedAt_ : monotonic_()) - hiddenTotal_;
}

uint32_t PageClock::tickCount() {
    // Taken modulo 2^32, as the tick counter of the other homes wraps.
    return uint32_t(uint64_t(std::floor(now())));
}

uint32_t PageClock::calendarSeconds() {
    return uint32_t(uint64_t(calendar_() / 1000.0));
}

void PageClock::pause() {
    if (pausedAt_ < 0)
        pausedAt_ = monotonic_();
}

void PageClock::resume() {
    if (pausedAt_ < 0)
        return;
    hiddenTotal_ += monotonic_() - pausedAt_;
    pausedAt_ = -1;
}
