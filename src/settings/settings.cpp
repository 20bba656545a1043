#include "settings/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "base/unique_file.h"
#include "seams/data_files.h"

namespace {
Settings settings;

DataFiles& places() {
    static DataFiles files;
    return files;
}

// The file order of the flags.
int32_t Settings::*const fileOrder[] = {&Settings::standardColor, &Settings::yellowColor,
                                        &Settings::cycleColors,   &Settings::soundEffects,
                                        &Settings::musicPlaylist, &Settings::randomSparks};

std::string describeErrno(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string replaceFile(const char* source, const char* target) {
    if (places().replaceFile)
        return places().replaceFile(source, target);
    if (std::rename(source, target) == 0)
        return {};
    return std::strerror(errno);
}

bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}
} // namespace

void useDataFiles(DataFiles files) { places() = std::move(files); }
const DataFiles& dataFiles() { return places(); }

bool isRegularFile(const char* path) {
    if (!path || !*path)
        return false;
    if (places().isRegularFile)
        return places().isRegularFile(path);
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

UniqueFile openDataFile(const char* path, const char* mode) {
    return isRegularFile(path) ? openFile(path, mode) : nullptr;
}

FireColor fireColorOf(const Settings& s) {
    if (isOn(s.standardColor))
        return FireColor::standard;
    if (isOn(s.yellowColor))
        return FireColor::yellow;
    if (isOn(s.cycleColors))
        return FireColor::cycle;
    return FireColor::none;
}

Settings currentSettings() { return settings; }

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
    const std::string path = dataFilePath(name);
    UniqueFile file = openDataFile(path.c_str(), "rb");
    if (!file)
        return;
    // A missing byte reads as EOF (-1), which counts as off.
    int32_t values[std::size(fileOrder)];
    for (int32_t& value : values)
        value = std::fgetc(file.get());
    // A read that fails (a directory where the file should be, a bad disk) also gives EOF, but
    // is no short file: it must not turn every option off, so it counts as no file at all.
    if (std::ferror(file.get()))
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
    UniqueFile file = openFile(temporary.c_str(), "wb");
    if (!file)
        return describeErrno("cannot create " + temporary);
    std::string reason;
    if (!writeFlags(file.get()))
        reason = describeErrno("cannot write the settings");
    if (std::fclose(file.release()) != 0 && reason.empty())
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
    bool absent = false;  // there was no file to write into
    bool touched = false; // the failure came after writing had begun
    std::string reason;
};

// The save for a directory that refuses a new file while the file itself may be written: the
// Windows directory, to a user without administrator rights, once the installer has given
// users the file. The file is opened "r+b", which neither creates nor empties it: a write that
// fails part-way (a full disk, a failing one) leaves at worst some old and some new bytes, each
// a valid flag, where "wb" would have emptied it first and so turned every option off. Only once
// the six bytes are written and the file closed is it cut to them.
InPlaceSave saveInPlace(const std::string& path) {
    InPlaceSave result;
    UniqueFile file = openFile(path.c_str(), "r+b");
    if (!file) {
        result.absent = errno == ENOENT;
        result.reason = describeErrno("cannot write into " + path);
        return result;
    }
    bool written = writeFlags(file.get());
    if (!written)
        result.reason = describeErrno("cannot write into " + path);
    if (std::fclose(file.release()) != 0 && written) {
        written = false;
        result.reason = describeErrno("cannot finish writing into " + path);
    }
    // Bytes after the sixth are never read, so a file that cannot be cut still holds these
    // settings: that is no reason to call the save failed.
    if (written) {
        std::error_code ignored;
        std::filesystem::resize_file(path, std::size(fileOrder), ignored);
    }
    result.saved = written;
    result.touched = !written;
    return result;
}
} // namespace

SettingsSave saveSettings(const char* name) {
    SettingsSave result;
    result.path = dataFilePath(name);
    if (result.path.empty()) {
        result.reason = "the data directory and the file name make a path that is too long";
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

std::string dataFilePath(const char* name) {
    if (!name)
        return {};
    const DataFiles& files = places();
    std::string first;
    for (const std::string& directory : files.directories) {
        if (directory.empty())
            continue;
        std::string path = directory + "/" + name;
        if (path.size() + 1 > files.pathLimit)
            continue;
        if (files.directories.size() == 1 || exists(path))
            return path;
        if (first.empty())
            first = std::move(path);
    }
    return first;
}
