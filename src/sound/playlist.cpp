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
    if (!readWord(file_.get(), name.get(), trackNameSize)) {
        std::rewind(file_.get());
        readWord(file_.get(), name.get(), trackNameSize);
    }
    return name;
}
