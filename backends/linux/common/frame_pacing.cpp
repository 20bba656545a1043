#include "linux/common/frame_pacing.h"

#include <cerrno>
#include <ctime>

#include "linux/common/stop_signals.h"

void sleepMilliseconds(uint32_t milliseconds) {
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += time_t(milliseconds / 1000);
    deadline.tv_nsec += long(milliseconds % 1000) * 1'000'000L;
    if (deadline.tv_nsec >= 1'000'000'000L) {
        deadline.tv_nsec -= 1'000'000'000L;
        ++deadline.tv_sec;
    }
    // clock_nanosleep returns its error rather than setting errno. Another signal's interruption
    // sleeps on to the same deadline; a stop signal ends the sleep.
    while (!stopRequested()) {
        if (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != EINTR)
            return;
    }
}
