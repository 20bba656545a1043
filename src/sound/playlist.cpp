#include "sound/playlist.h"

#include <cctype>

namespace {
// Reads one word the way "%s" does (skip whitespace, take up to the next), but keeps at most
// size - 1 characters and drops the rest of a longer word, so it never writes past the buffer
// and the tail of a long word never turns into a name of its own. False when the file ended
// before a word began.
bool readWord(std::FILE* file, char* word, std::size_t size) {
    int c;
    do
        c = std::fgetc(file);
    while (c != EOF && std::isspace(c));
    if (c == EOF)
        return false;
    std::size_t length = 0;
    for (; c != EOF && !std::isspace(c); c = std::fgetc(file)) {
        if (length + 1 < size)
            word[length++] = char(c);
    }
    word[length] = '\0';
    return true;
}
} // namespace

bool Playlist::open(const char* path) {
    file_.reset(std::fopen(path, "rt"));
    return file_ != nullptr;
}

std::unique_ptr<char[]> Playlist::nextName() {
    auto name = std::make_unique<char[]>(trackNameSize); // all zero: the empty name
    if (!file_)
        return nullptr;
    if (!readWord(file_.get(), name.get(), trackNameSize)) {
        std::rewind(file_.get());
        readWord(file_.get(), name.get(), trackNameSize);
    }
    return name;
}
