#pragma once
// The pace of the Linux saver's frames: one step of the fire every 15 ms on the monotonic clock,
// whatever the display's refresh rate. The loops sleep to each deadline (never spin); a frame
// that took longer than its 15 ms does not wait, and nothing is caught up.
#include <ctime>

constexpr long frameNanoseconds = 15'000'000;

inline timespec monotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

inline timespec later(timespec t, long nanoseconds) {
    t.tv_nsec += nanoseconds;
    while (t.tv_nsec >= 1'000'000'000) {
        t.tv_nsec -= 1'000'000'000;
        ++t.tv_sec;
    }
    return t;
}

inline bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Milliseconds from now to `deadline`, rounded up, 0 when it has passed: a poll timeout.
inline int millisecondsUntil(const timespec& deadline) {
    const timespec now = monotonicNow();
    if (!before(now, deadline))
        return 0;
    const long long nanoseconds =
        (deadline.tv_sec - now.tv_sec) * 1'000'000'000LL + (deadline.tv_nsec - now.tv_nsec);
    return int((nanoseconds + 999'999) / 1'000'000);
}

// Sleeps until `deadline`; a stop signal wakes it early.
void sleepUntil(const timespec& deadline);
