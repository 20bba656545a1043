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

// A word (or a number) is read for at most this many characters; whatever follows in a longer
// run of them is left for the next read, as the start of the next word. So a broken file without
// white space is read a bounded stretch at a time, never to its end in one go.
constexpr std::size_t wordReadLimit = 64 * 1024;

// Skips white space; gives the first other character (still unread) or EOF. With
// `passedLineEnd`, tells whether a line end was among the white space skipped.
int skipBlanks(std::FILE* file, bool* passedLineEnd = nullptr);

// Reads the next word into `word` (`size` bytes, at least 1): at most size - 1 characters and
// the terminator. The rest of a longer word is read and dropped, so it never turns into a word
// of its own, as far as wordReadLimit characters in all. The white space after the word stays
// unread. False, with the empty word, when the file ended before a word began. With `cut`, tells
// whether the word was longer than the buffer.
bool readWord(std::FILE* file, char* word, std::size_t size, bool* cut = nullptr);
