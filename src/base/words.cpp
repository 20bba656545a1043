#include "base/words.h"

int skipBlanks(std::FILE* file, bool* passedLineEnd) {
    int c = std::getc(file);
    while (c != EOF && isBlank(c)) {
        if (c == '\n' && passedLineEnd)
            *passedLineEnd = true;
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    return c;
}

bool readWord(std::FILE* file, char* word, std::size_t size, bool* cut) {
    word[0] = '\0';
    if (cut)
        *cut = false;
    if (skipBlanks(file) == EOF)
        return false;
    std::size_t length = 0;
    int c = std::getc(file);
    for (std::size_t taken = 0; c != EOF && !isBlank(c); ++taken) {
        if (taken == wordReadLimit)
            break; // left unread: the next word starts here
        if (length + 1 < size)
            word[length++] = char(c);
        else if (cut)
            *cut = true;
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    word[length] = '\0';
    return true;
}
