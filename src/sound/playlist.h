#pragma once
// The music playlist: a text file of track file names, read one after another and from the start
// again after the last. The names are its whitespace-separated words, with one exception for
// folders and files whose names have blanks in them: a line that as a whole (its blanks at both
// ends and its line end taken off) names a regular file is that one track.
#include <cstddef>
#include <memory>

#include "base/unique_file.h"

// A track name buffer: at most 1023 characters and the terminator.
constexpr std::size_t trackNameSize = 1024;

class Playlist {
  public:
    // Opens the file; true when it is open.
    bool open(const char* path);
    // The next name in a new buffer; after the last name the first comes again. No buffer when
    // no file is open; the empty name when the file holds no word at all. A word longer than
    // 1023 characters is cut to its first 1023. Looking for a whole line's file asks the file
    // system, which may be slow: call it where a wait holds up no frame.
    std::unique_ptr<char[]> nextName();
    // Where the name nextName gave last begins in the file (0 before any), so that a later run
    // can start the playlist from that name again.
    long nameOffset() const { return nameOffset_; }
    // The next nextName reads from `offset` on. Past the end of the file it gives the first
    // name, as after the last; an offset inside a name gives the rest of that name.
    void resumeAt(long offset);

  private:
    // Reads the name that begins here: the whole line when it has a blank inside and names a
    // file, else the word.
    void readName(char* name);

    UniqueFile file_;
    long nameOffset_ = 0;
    bool atLineStart_ = true; // nothing but white space since the last line end
};
