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

SettingsSave saveSettings(const char* name) {
    SettingsSave result;
    const auto path = dataFilePath(name);
    result.path = path.get();
    if (result.path.empty()) {
        result.reason = "the Windows directory and the file name make a path that is too long";
        return result;
    }
    const std::string temporary = result.path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        result.reason = describeErrno(("cannot create " + temporary).c_str());
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
