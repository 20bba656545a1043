#pragma once
// What the user's language settings say about text: the system's "ANSI" code page, in which an
// older Notepad saved the messages, and the names of the days and months for a message's clock.
#include "seams/text_encoding.h"
#include "seams/time_names.h"

LegacyCodePage windowsLegacyCodePage();
TimeNames windowsTimeNames();
