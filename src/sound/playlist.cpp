#include "sound/playlist.h"

#include "base/words.h"

bool Playlist::open(const char* path) {
    file_ = openFile(path, "rt");
    return file_ != nullptr;
}

std::unique_ptr<char[]> Playlist::nextName() {
    if (!file_)
        return nullptr;
    auto name = std::make_unique<char[]>(trackNameSize); // all zero: the empty name
    std::FILE* file = file_.get();
    const int first = skipBlanks(file);
    nameOffset_ = std::ftell(file);
    if (first == EOF || !readWord(file, name.get(), trackNameSize)) {
        std::rewind(file);
        skipBlanks(file);
        nameOffset_ = std::ftell(file);
        readWord(file, name.get(), trackNameSize);
    }
    return name;
}

void Playlist::resumeAt(long offset) {
    if (file_ && offset >= 0)
        std::fseek(file_.get(), offset, SEEK_SET);
}
