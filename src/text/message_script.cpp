// The message script: a text file of entries "text x y hold", separated by any white space and
// read round and round. Each entry is read the way "%s%d%d%d" reads formatted input, and the
// end of the file sends the reader back to its start once.
//
// The scan is done here by hand rather than by the C library's scanf: the text must be cut at
// the buffer's size, and numbers too large for 32 bits are undefined for scanf and come out
// differently from one C library to the next. Here they keep their low 32 bits, the same in
// every build.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "fire/fire_engine.h"
#include "text/glyph_particles.h"

namespace {

constexpr size_t textBufferSize = 1024; // at most 1023 characters and the terminator

struct ScriptEntry {
    char text[textBufferSize] = {};
    int32_t x = 0;
    int32_t y = 0;
    int32_t hold = 0;
};

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips white space; gives the first other character (still unread) or EOF.
int skipBlanks(std::FILE* file) {
    int c = std::getc(file);
    while (c != EOF && isBlank(c))
        c = std::getc(file);
    if (c != EOF)
        std::ungetc(c, file);
    return c;
}

// The word up to the next white space. Characters past the buffer are read and dropped, so the
// fields after a long text are still read in their place.
void readText(std::FILE* file, char (&text)[textBufferSize]) {
    size_t length = 0;
    int c = std::getc(file);
    while (c != EOF && !isBlank(c)) {
        if (length + 1 < textBufferSize)
            text[length++] = char(c);
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    text[length] = '\0';
}

// An optionally signed decimal number. Like formatted input, a sign with no digit after it is
// consumed and the number fails; the first character that is not a digit stays unread.
bool readNumber(std::FILE* file, int32_t& value) {
    if (skipBlanks(file) == EOF)
        return false;
    int c = std::getc(file);
    const bool negative = c == '-';
    if (c == '-' || c == '+')
        c = std::getc(file);
    if (c < '0' || c > '9') {
        if (c != EOF)
            std::ungetc(c, file);
        return false;
    }
    uint32_t magnitude = 0;
    while (c >= '0' && c <= '9') {
        magnitude = magnitude * 10u + uint32_t(c - '0');
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    value = int32_t(negative ? 0u - magnitude : magnitude);
    return true;
}

// Returns the number of fields converted, or EOF when the input ended before the first.
int scanEntry(std::FILE* file, ScriptEntry& entry) {
    if (skipBlanks(file) == EOF)
        return EOF;
    readText(file, entry.text);
    int converted = 1;
    for (int32_t* field : {&entry.x, &entry.y, &entry.hold}) {
        if (!readNumber(file, *field))
            break;
        ++converted;
    }
    return converted;
}

} // namespace

bool FireEngine::openScript(const char* path) {
    messageFile_.reset(path ? std::fopen(path, "rt") : nullptr);
    return messageFile_ != nullptr;
}

std::unique_ptr<ParticleList> FireEngine::nextMessage() {
    ScriptEntry entry;
    // Without a script, or with one that holds no entry, the message is empty: nothing is
    // drawn, yet the cycle still holds and bursts it.
    if (std::FILE* file = messageFile_.get()) {
        if (scanEntry(file, entry) == EOF) {
            std::clearerr(file);
            std::rewind(file);
            scanEntry(file, entry);
        }
    }
    holdTime_ = uint32_t(entry.hold);
    return layoutMessage(entry.x, entry.y, entry.text);
}
