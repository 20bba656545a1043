#pragma once
// Where the saver's data files live: the settings file, the glyph sheet, the message script,
// the fire sound and the playlist, each named relative to a data directory ("emberhall.dat",
// "fire_data/motd.txt", ...). On Windows that is the Windows directory alone; other homes look
// in several places, the user's own first. The backend sets this once, at the start of the
// process; every data file is then located through dataFilePath (settings/settings.h).
#include <cstddef>
#include <string>
#include <vector>

struct DataFiles {
    // Looked in for each file, first choice first.
    std::vector<std::string> directories;
    // The longest path, terminator included, that the system takes.
    std::size_t pathLimit = 260;
    // Replaces `target` with `source` in one step, whether or not `target` exists; the empty
    // text on success, otherwise the system's reason. Null: std::rename, which replaces in one
    // step on POSIX systems.
    std::string (*replaceFile)(const char* source, const char* target) = nullptr;
};

void useDataFiles(DataFiles files);
const DataFiles& dataFiles();
