#pragma once
// The names of the days, the months and the halves of the day in the session's own language
// (LC_TIME, else LANG), for the clock that a message may show.
#include "seams/time_names.h"

TimeNames linuxTimeNames();
