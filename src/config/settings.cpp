#include "config/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "config/system_paths.h"

namespace {
struct Settings {
    int32_t standardColor = 1;
    int32_t yellowColor = 0;
    int32_t cycleColors = 0;
    int32_t soundEffects = 1;
    int32_t musicPlaylist = 0;
    int32_t randomSparks = 0;
};

Settings settings;

// The file order of the flags.
int32_t Settings::*const fileOrder[] = {&Settings::standardColor, &Settings::yellowColor,
                                        &Settings::cycleColors,   &Settings::soundEffects,
                                        &Settings::musicPlaylist, &Settings::randomSparks};

std::string describeErrno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}
} // namespace

int32_t standardColor() { return settings.standardColor; }
void setStandardColor(int32_t value) { settings.standardColor = value; }
int32_t yellowColor() { return settings.yellowColor; }
void setYellowColor(int32_t value) { settings.yellowColor = value; }
int32_t cycleColors() { return settings.cycleColors; }
void setCycleColors(int32_t value) { settings.cycleColors = value; }
int32_t soundEffects() { return settings.soundEffects; }
void setSoundEffects(int32_t value) { settings.soundEffects = value; }
int32_t musicPlaylist() { return settings.musicPlaylist; }
void setMusicPlaylist(int32_t value) { settings.musicPlaylist = value; }
int32_t randomSparks() { return settings.randomSparks; }
void setRandomSparks(int32_t value) { settings.randomSparks = value; }

void resetSettings() { settings = Settings{}; }

void loadSettings(const char* name) {
    const auto path = dataFilePath(name);
    std::FILE* file = std::fopen(path.get(), "rb");
    if (!file)
        return;
    // A missing byte reads as EOF (-1), which counts as off.
    int32_t values[std::size(fileOrder)];
    for (int32_t& value : values)
        value = std::fgetc(file);
    // A read that fails (a directory where the file should be, a bad disk) also gives EOF, but
    // is no short file: it must not turn every option off, so it counts as no file at all.
    const bool readable = !std::ferror(file);
    std::fclose(file);
    if (!readable)
        return;
    for (std::size_t i = 0; i < std::size(fileOrder); ++i)
        settings.*fileOrder[i] = values[i];
}

namespace {
// Writes the six bytes, each the low 8 bits of its flag, in file order; false on a failure.
bool writeFlags(std::FILE* file) {
    bool written = true;
    for (auto flag : fileOrder)
        written = written && std::fputc(settings.*flag & 0xFF, file) != EOF;
    return written && std::fflush(file) == 0;
}

// The usual save: the bytes go to a temporary file beside the settings file, which then
// replaces it in one step, so a failure anywhere leaves the old file whole. Returns the empty
// text on success, otherwise the reason; the temporary file never outlives a failure.
std::string saveThroughTemporary(const std::string& path) {
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return describeErrno(("cannot create " + temporary).c_str());
    std::string reason;
    if (!writeFlags(file))
        reason = describeErrno("cannot write the settings");
    if (std::fclose(file) != 0 && reason.empty())
        reason = describeErrno("cannot finish writing the settings");
    if (reason.empty()) {
        if (const std::string why = replaceFile(temporary.c_str(), path.c_str()); !why.empty())
            reason = "cannot replace the old file: " + why;
    }
    if (!reason.empty())
        std::remove(temporary.c_str());
    return reason;
}

struct InPlaceSave {
    bool saved = false;
    bool absent = false;   // there was no file to write into
    bool touched = false;  // the failure came after writing had begun
    std::string reason;
};

// The save for a directory that refuses a new file while the file itself may be written: the
// Windows directory, to a user without administrator rights, once the installer has given
// users the file. The file is opened "r+b", which neither creates nor empties it: a write that
// fails part-way (a full disk, a failing one) leaves at worst some old and some new bytes, each
// a valid flag, where "wb" would have emptied it first and so turned every option off. Only once
// the six bytes are flushed is the file cut to them.
InPlaceSave saveInPlace(const std::string& path) {
    InPlaceSave result;
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        result.absent = errno == ENOENT;
        result.reason = describeErrno(("cannot write into " + path).c_str());
        return result;
    }
    bool written = writeFlags(file);
    if (!written)
        result.reason = describeErrno(("cannot write into " + path).c_str());
    // Bytes after the sixth are never read, so a file that cannot be cut still holds these
    // settings: that is no reason to call the save failed.
    if (written)
        setFileSize(file, std::size(fileOrder));
    if (std::fclose(file) != 0 && written) {
        written = false;
        result.reason = describeErrno(("cannot finish writing into " + path).c_str());
    }
    result.saved = written;
    result.touched = !written;
    return result;
}
} // namespace

SettingsSave saveSettings(const char* name) {
    SettingsSave result;
    const auto path = dataFilePath(name);
    result.path = path.get();
    if (result.path.empty()) {
        result.reason = "the Windows directory and the file name make a path that is too long";
        return result;
    }
    const std::string replaceReason = saveThroughTemporary(result.path);
    if (replaceReason.empty()) {
        result.saved = true;
        return result;
    }
    // The directory refused (or the replacing failed): an existing file may still take the
    // bytes.
    const InPlaceSave inPlace = saveInPlace(result.path);
    result.saved = inPlace.saved;
    result.oldFileKept = !inPlace.touched;
    if (!inPlace.saved)
        result.reason = inPlace.absent ? replaceReason : replaceReason + ", and " + inPlace.reason;
    return result;
}

std::unique_ptr<char[]> dataFilePath(const char* name) {
    auto path = std::make_unique<char[]>(dataPathSize); // all zero: the empty path
    char directory[dataPathSize] = {};
    const uint32_t length = windowsDirectory(directory, dataPathSize);
    if (length == 0 || length >= dataPathSize)
        return path;
    const std::size_t nameLength = std::strlen(name);
    if (length + 1 + nameLength + 1 > dataPathSize)
        return path;
    std::memcpy(path.get(), directory, length);
    path[length] = '/';
    std::memcpy(path.get() + length + 1, name, nameLength + 1);
    return path;
}
