#pragma once
// The page's message editor speaks plain text: a message is a sentence and the seconds it
// stands. The scene reads the message script: each entry a text in which + leaves a blank cell
// and - starts a new line, its x and y on the 1024 x 768 picture and its hold in milliseconds.
// These convert between the two. The page hands rows of "text<TAB>seconds", one message a line.
#include <string>

// A script entry (one line, no line end) for a sentence: its words wrapped onto as few lines of
// at most 20 letters as they need (a longer word is cut), the lines as even as they can be, each
// centred under the longest, the block placed in the upper part of the picture, above the
// fire. Characters without a place in the script (blanks, the script's own + - *, anything
// outside ASCII) become blank cells or a '?', one cell each. Empty when nothing is left to show.
std::string scriptEntry(const std::string& text, double seconds);

// The script for the editor's rows. A row that still reads as an entry of `previous` (the same
// text and hold) keeps that entry as it was, so hand-placed messages stay where they were unless
// edited. Rows with no text are left out.
std::string scriptFromRows(const std::string& rows, const std::string& previous);

// The editor's rows for a script: each entry's text with its blanks and line breaks as spaces,
// and its hold in seconds. Reading stops at the first entry that is not text and three numbers.
std::string rowsFromScript(const std::string& script);
