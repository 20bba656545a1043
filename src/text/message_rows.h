#pragma once
// The message editors (the page's, the Linux settings window's) speak plain text: a message is
// a sentence and the seconds it stands. The scene reads the message script: each entry a text
// in which + leaves a blank cell and - starts a new line, its x and y on the 1024 x 768 picture
// and its hold in milliseconds. These convert between the two, one cell per character.
#include <string>
#include <vector>

struct MessageRow {
    std::string text;     // UTF-8; a line end in it starts a new line on the screen
    double seconds = 5.0; // how long it stands
};

// A script entry (one line, no line end) for a sentence: its words wrapped onto as few lines of
// at most 20 characters as they need (a longer word is cut, and a line end in the sentence
// always starts a new line), the lines as even as they can be, each centred under the longest,
// the block placed in the upper part of the picture, above the fire. Characters without a place
// in the script (blanks and the script's own + - *) become blank cells; every other character
// is kept. Empty when nothing is left to show.
std::string scriptEntry(const std::string& text, double seconds);

// The script for the editor's rows. A row that still reads as an entry of `previous` (the same
// words and hold) keeps that entry as it was, so hand-placed messages stay where they were
// unless edited. Rows with no text are left out.
std::string scriptFromRows(const std::vector<MessageRow>& rows, const std::string& previous);

// The editor's rows for a script: each entry's text with its blanks as spaces and its line
// breaks as line ends, and its hold in seconds. Reading stops at the first entry that is not
// text and three numbers.
std::vector<MessageRow> rowsFromScript(const std::string& script);
