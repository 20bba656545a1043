#pragma once
// Reading whitespace-separated words from a text stream, the way formatted input's "%s" does:
// skip white space (blanks, tabs, line ends, vertical tabs, form feeds), then take everything up
// to the next white space or the end of the file. The message script and the playlist both
// read their words this way.
#include <cstddef>
#include <cstdio>

// The C locale's white space, whatever locale the process runs in.
constexpr bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips white space; gives the first other character (still unread) or EOF.
int skipBlanks(std::FILE* file);

// Reads the next word into `word` (`size` bytes, at least 1): at most size - 1 characters and
// the terminator. The rest of a longer word is read and dropped, so it never turns into a word
// of its own. The white space after the word stays unread. False, with the empty word, when the
// file ended before a word began.
bool readWord(std::FILE* file, char* word, std::size_t size);
