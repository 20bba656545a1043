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
    UniqueFile file = openFile(path.c_str(), "rb");
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

SettingsSave saveSettings(const char* name) {
    SettingsSave result;
    result.path = dataFilePath(name);
    if (result.path.empty()) {
        result.reason = "the data directory and the file name make a path that is too long";
        return result;
    }
    const std::string temporary = result.path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        result.reason = describeErrno("cannot create " + temporary);
        return result;
    }
    bool written = true;
    for (auto flag : fileOrder)
        written = written && std::fputc(settings.*flag & 0xFF, file) != EOF;
    written = written && std::fflush(file) == 0;
    if (!written)
        result.reason = describeErrno("cannot write the settings");
    if (std::fclose(file) != 0 && written) {
        written = false;
        result.reason = describeErrno("cannot finish writing the settings");
    }
    if (!written) {
        std::remove(temporary.c_str());
        return result;
    }
    if (const std::string why = replaceFile(temporary.c_str(), result.path.c_str()); !why.empty()) {
        result.reason = "cannot replace the old file: " + why;
        std::remove(temporary.c_str());
        return result;
    }
    result.saved = true;
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
