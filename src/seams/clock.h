#pragma once
// Time as the saver sees it: the system's millisecond tick counter, which wraps after 2^32 ms
// (every difference is an unsigned 32-bit subtraction), the calendar time in whole seconds,
// which reseeds the random sequence, and that time on the user's own clock, which a message may
// show.
#include <cstdint>

// A moment of the local time and date, as a wall clock shows it.
struct LocalTime {
    int year = 1970;
    int month = 1;   // 1 ... 12
    int day = 1;     // 1 ... 31
    int weekday = 4; // 0 Sunday ... 6 Saturday
    int hour = 0;    // 0 ... 23
    int minute = 0;
    int second = 0; // 0 ... 60
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual uint32_t tickCount() = 0;
    virtual uint32_t calendarSeconds() = 0;
    // The calendar time in the system's time zone: the C library's local time, which every home
    // has (Windows' own zone, the TZ of a Linux session, the browser's zone in a page).
    virtual LocalTime localTime();
};

// Milliseconds from `since` to `now`, right across a wrap of the counter.
constexpr uint32_t ticksSince(uint32_t now, uint32_t since) {
    return now - since;
}
