// The scan is done here by hand rather than by the C library's scanf: the text must be cut at
// the buffer's size, and numbers too large for 32 bits are undefined for scanf and come out
// differently from one C library to the next. Here they keep their low 32 bits, the same in
// every build.
#include "text/message_script.h"

#include <cstdio>

#include "base/words.h"
#include "seams/data_files.h"
#include "text/text_decoding.h"

namespace {

// An optionally signed decimal number. Like formatted input, a sign with no digit after it is
// consumed and the number fails; the first character that is not a digit stays unread, and so
// do the digits of an endless run past wordReadLimit.
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
    for (std::size_t digits = 0; c >= '0' && c <= '9' && digits < wordReadLimit; ++digits) {
        magnitude = magnitude * 10u + uint32_t(c - '0');
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    value = int32_t(negative ? 0u - magnitude : magnitude);
    return true;
}

// Notepad may begin the file with a UTF-8 byte-order mark, which is no part of the first text.
void skipByteOrderMark(std::FILE* file) {
    if (std::ftell(file) != 0)
        return;
    char start[3] = {};
    if (std::fread(start, 1, sizeof start, file) != sizeof start ||
        std::string_view(start, sizeof start) != byteOrderMark)
        std::rewind(file);
}

// Returns the number of fields converted, or EOF when the input ended before the first.
int scanEntry(std::FILE* file, ScriptEntry& entry) {
    skipByteOrderMark(file);
    bool cut = false;
    if (!readWord(file, entry.text, ScriptEntry::textSize, &cut))
        return EOF;
    // A text cut at the buffer's end keeps whole characters only.
    if (cut)
        entry.text[wholeCharacters(entry.text)] = '\0';
    int converted = 1;
    for (int32_t* field : {&entry.x, &entry.y, &entry.hold}) {
        if (!readNumber(file, *field))
            break;
        ++converted;
    }
    return converted;
}

} // namespace

bool MessageScript::open(const char* path) {
    file_ = openDataFile(path, "rt");
    return file_ != nullptr;
}

ScriptEntry MessageScript::next() {
    ScriptEntry entry;
    if (std::FILE* file = file_.get()) {
        if (scanEntry(file, entry) == EOF) {
            std::clearerr(file);
            std::rewind(file);
            scanEntry(file, entry);
        }
    }
    return entry;
}

long MessageScript::offset() const {
    const long at = file_ ? std::ftell(file_.get()) : 0;
    return at > 0 ? at : 0;
}

void MessageScript::resumeAt(long offset) {
    if (file_ && offset >= 0)
        std::fseek(file_.get(), offset, SEEK_SET);
}
