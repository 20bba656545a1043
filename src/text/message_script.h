#pragma once
// The message script: a text file of entries "text x y hold", separated by any white space and
// read round and round: after the last entry comes the first again.
#include <cstddef>
#include <cstdint>

#include "base/unique_file.h"

struct ScriptEntry {
    static constexpr std::size_t textSize = 1024; // at most 1023 characters and the terminator
    char text[textSize] = {};
    int32_t x = 0;    // frame column of the first letter, and the margin of every new line
    int32_t y = 0;    // frame row of the first line
    int32_t hold = 0; // milliseconds the message stands before it bursts
};

class MessageScript {
  public:
    // Opens the file in text mode; true when it is open.
    bool open(const char* path);
    // The next entry, read the way "%s%d%d%d" reads formatted input: numbers that are missing
    // or malformed stay 0, and a field where a number should be is left for the next entry.
    // At the end of the file the script starts again from its beginning, once. Without a file,
    // or with one that holds no entry, the entry is empty.
    ScriptEntry next();
    // Where the entry after the one next gave last begins (0 without a file), so that a later
    // run can go on with it.
    long offset() const;
    // The next entry is read from `offset` on; past the end of the file that is the first.
    void resumeAt(long offset);

  private:
    UniqueFile file_;
};
