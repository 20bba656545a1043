#include "base/words.h"

int skipBlanks(std::FILE* file) {
    int c = std::getc(file);
    while (c != EOF && isBlank(c))
        c = std::getc(file);
    if (c != EOF)
        std::ungetc(c, file);
    return c;
}

bool readWord(std::FILE* file, char* word, std::size_t size) {
    word[0] = '\0';
    if (skipBlanks(file) == EOF)
        return false;
    std::size_t length = 0;
    int c = std::getc(file);
    while (c != EOF && !isBlank(c)) {
        if (length + 1 < size)
            word[length++] = char(c);
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    word[length] = '\0';
    return true;
}
