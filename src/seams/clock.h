#pragma once
// Time as the saver sees it: the system's millisecond tick counter, which wraps after 2^32 ms
// (every difference is an unsigned 32-bit subtraction), and the calendar time in whole seconds,
// which reseeds the random sequence.
#include <cstdint>

class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t tickCount() = 0;
    virtual uint32_t calendarSeconds() = 0;
};

// Milliseconds from `since` to `now`, right across a wrap of the counter.
constexpr uint32_t ticksSince(uint32_t now, uint32_t since) { return now - since; }
