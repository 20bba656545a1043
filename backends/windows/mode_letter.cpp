#include "windows/mode_letter.h"

namespace {
// The character `offset` places after `position`, or 0 when the text ends first.
char characterAfter(const char* position, int offset) {
    for (int i = 0; i < offset; ++i) {
        if (*position == '\0')
            return 0;
        ++position;
    }
    return *position;
}
} // namespace

char modeLetterOf(const char* commandLine) {
    if (!commandLine)
        return 0;
    const char* position = commandLine;
    if (*position == '"') {
        ++position;
        while (*position != '\0' && *position != '"')
            ++position;
        return characterAfter(position, 3);
    }
    while (*position != '\0' && *position != ' ')
        ++position;
    return characterAfter(position, 2);
}

SaverMode chooseMode(char letter, bool haveDesktopWindow) {
    if ((letter == 'c' || letter == 'C') && haveDesktopWindow)
        return SaverMode::Configure;
    if (letter == 's' || letter == 'S' || letter == 0)
        return SaverMode::Saver;
    return SaverMode::Exit;
}
