#pragma once
// Time on Linux: a millisecond counter from the monotonic clock, which, like Windows' tick
// count, is 32 bits wide and wraps; and the calendar in whole seconds.
#include <ctime>

#include "seams/clock.h"

class LinuxClock final : public Clock {
  public:
    uint32_t tickCount() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
    }
    uint32_t calendarSeconds() override { return uint32_t(std::time(nullptr)); }
};
