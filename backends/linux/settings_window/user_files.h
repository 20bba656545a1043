#pragma once
// The user's own copy of a data file that users edit (the messages, the playlist). The saver
// reads the user's file before the shipped one, so the first edit starts from a copy of what the
// saver showed until then.
#include <string>

#include "seams/data_files.h"

struct UserCopy {
    std::string path;   // the user's file, in `userDirectory`
    std::string reason; // why it is not there; empty when it is
};

// The user's copy of the data file `name` in `userDirectory`, made when there is none: from the
// first of the other directories of `files` that has the file, or empty when none has. A copy is
// written beside it first and then renamed, so a failure never leaves half a file that would
// later pass for the user's own.
UserCopy userCopyOf(const std::string& userDirectory, const DataFiles& files, const char* name);
