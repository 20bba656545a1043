#include "sound/playlist.h"

#include <cstring>
#include <string>

#include "base/words.h"
#include "seams/data_files.h"

namespace {
// The rest of the line from here, its trailing blanks taken off; false when it is longer than a
// name can be. Reads up to the line end, which stays unread.
bool readLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = std::getc(file);
    while (c != EOF && c != '\n') {
        if (line.size() + 1 == trackNameSize)
            return false;
        line.push_back(char(c));
        c = std::getc(file);
    }
    while (!line.empty() && isBlank(static_cast<unsigned char>(line.back())))
        line.pop_back();
    return true;
}

bool hasBlank(const std::string& text) {
    for (const char c : text) {
        if (isBlank(static_cast<unsigned char>(c)))
            return true;
    }
    return false;
}
} // namespace

bool Playlist::open(const char* path) {
    // Binary, not text: the reader goes back to where a line began, and in text mode Windows'
    // C library reports that place wrongly for a file whose lines end in LF alone (Notepad
    // writes them since 2018), so the first name came out cut. A CR is white space anyway.
    file_ = openDataFile(path, "rb");
    atLineStart_ = true;
    return file_ != nullptr;
}

void Playlist::readName(char* name) {
    std::FILE* file = file_.get();
    bool lineStart = atLineStart_;
    skipBlanks(file, &lineStart);
    nameOffset_ = std::ftell(file);
    atLineStart_ = false;
    if (lineStart) {
        std::string line;
        if (readLine(file, line) && hasBlank(line) && isRegularFile(line.c_str())) {
            std::memcpy(name, line.c_str(), line.size() + 1);
            return;
        }
        std::fseek(file, nameOffset_, SEEK_SET); // read word by word, as any other line
    }
    readWord(file, name, trackNameSize);
}

std::unique_ptr<char[]> Playlist::nextName() {
    if (!file_)
        return nullptr;
    auto name = std::make_unique<char[]>(trackNameSize); // all zero: the empty name
    std::FILE* file = file_.get();
    if (skipBlanks(file, &atLineStart_) == EOF) {
        std::clearerr(file);
        std::rewind(file);
        atLineStart_ = true;
    }
    readName(name.get());
    return name;
}

void Playlist::resumeAt(long offset) {
    if (!file_ || offset < 0)
        return;
    std::FILE* file = file_.get();
    // A name that began a line may be the whole line: what comes before it tells.
    atLineStart_ = offset == 0;
    if (offset > 0 && std::fseek(file, offset - 1, SEEK_SET) == 0)
        atLineStart_ = std::getc(file) == '\n';
    std::fseek(file, offset, SEEK_SET);
}
