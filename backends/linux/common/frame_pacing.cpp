#include "linux/common/frame_pacing.h"

#include <cerrno>

#include "linux/common/stop_signals.h"

void sleepUntil(const timespec& deadline) {
    while (!stopRequested() && before(monotonicNow(), deadline)) {
        if (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == 0)
            return;
        if (errno != EINTR)
            return;
    }
}
