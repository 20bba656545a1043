#pragma once
// The clock in a message: %H %M %S %I %p %d %e %m %y %Y %a %A %b %B stand for the parts of the
// local time and date as strftime gives them, the names in the user's language
// (seams/time_names.h); %% is a %, and a % before anything else stays as it is written.
#include <string>
#include <string_view>

#include "seams/clock.h"
#include "seams/time_names.h"

// Whether `text` shows any part of the time, so that it changes as the clock goes on.
bool showsTime(std::u32string_view text);
std::u32string expandTimeEscapes(std::u32string_view text, const LocalTime& now,
                                 const TimeNames& names = timeNames());
