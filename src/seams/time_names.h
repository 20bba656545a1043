#pragma once
// The names of the days, the months and the halves of the day in the user's language, for the
// clock that a message may show (text/time_escapes.h). A backend hands them over once, from the
// system's own locale; until then they are English.
#include <array>
#include <string>

struct TimeNames {
    // UTF-8; a backend whose system gives another encoding hands over what it has, and each
    // byte that is not UTF-8 is read as message text is (text/text_decoding.h).
    std::array<std::string, 7> days = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
    std::array<std::string, 7> shortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 12> months = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    std::array<std::string, 12> shortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string am = "AM";
    std::string pm = "PM";
};

void useTimeNames(TimeNames names);
const TimeNames& timeNames();
