#include <ctime>

#include "seams/clock.h"

LocalTime Clock::localTime() {
    const std::time_t now = std::time_t(calendarSeconds());
    const std::tm* t = std::localtime(&now);
    if (!t)
        return {};
    return {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_wday,
            t->tm_hour,        t->tm_min,     t->tm_sec};
}
