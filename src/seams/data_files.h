#pragma once
// Where the saver's data files live: the settings file, the glyph sheet, the message script,
// the fire sound and the playlist, each named relative to a data directory ("emberhall.dat",
// "fire_data/motd.txt", ...). On Windows that is the Windows directory alone; other homes look
// in several places, the user's own first. The backend sets this once, at the start of the
// process; every data file is then located through dataFilePath (settings/settings.h).
#include <cstddef>
#include <string>
#include <vector>

#include "base/unique_file.h"

struct DataFiles {
    // Looked in for each file, first choice first.
    std::vector<std::string> directories;
    // The longest path, terminator included, that the system takes.
    std::size_t pathLimit = 260;
    // Replaces `target` with `source` in one step, whether or not `target` exists; the empty
    // text on success, otherwise the system's reason. Null: std::rename, which replaces in one
    // step on POSIX systems.
    std::string (*replaceFile)(const char* source, const char* target) = nullptr;
    // Whether `path` names a regular file, with the path read as the system's own file calls
    // read it. Null: std::filesystem's view.
    bool (*isRegularFile)(const char* path) = nullptr;
};

void useDataFiles(DataFiles files);
const DataFiles& dataFiles();

// Whether `path` names a regular file (a link to one counts): not a folder, a FIFO or a device.
bool isRegularFile(const char* path);

// Opens a data file (or the playlist's track line that is tested for a file) for reading. Only
// a regular file is opened: a FIFO whose writer never comes, or a device that never ends
// (/dev/zero), would hold the saver in its open or its reads, so anything else counts as a file
// that cannot be opened.
UniqueFile openDataFile(const char* path, const char* mode);
