#pragma once
// The page's message editor hands its rows over as text: "text<TAB>seconds", one message a line
// (its inputs hold one line each). The conversions themselves are the core's
// (text/message_rows.h), shared with the Linux settings window.
#include <string>

#include "text/message_rows.h"

// The script for the page's rows; see scriptFromRows.
std::string scriptFromPageRows(const std::string& rows, const std::string& previous);
// The page's rows for a script: a message's line breaks as spaces, its seconds as %g writes them.
std::string pageRowsFromScript(const std::string& script);
