#pragma once
// The six user options, process-wide, and the file that keeps them: six bytes, one per flag, in
// the Windows directory. A flag counts as on only when it equals exactly 1, everywhere it is
// read; the colour flags are read with the precedence standard, yellow, cycling.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

int32_t standardColor();
void setStandardColor(int32_t value);
int32_t yellowColor();
void setYellowColor(int32_t value);
int32_t cycleColors();
void setCycleColors(int32_t value);
int32_t soundEffects();
void setSoundEffects(int32_t value);
int32_t musicPlaylist();
void setMusicPlaylist(int32_t value);
int32_t randomSparks();
void setRandomSparks(int32_t value);

// Puts every flag back to its value at process start (standard colours and the fire sound on).
void resetSettings();

// Reads the settings file located by dataFilePath(name) into the flags. A missing or unreadable
// file leaves the flags as they are; a short one gives -1 (off) for each missing byte; extra
// bytes are ignored.
void loadSettings(const char* name);

struct SettingsSave {
    bool saved = false;
    std::string path;        // the file it was meant for
    std::string reason;      // why it was not saved; empty when saved
    bool oldFileKept = true; // false only when a write into the file itself failed part-way
};

// Writes the six flags, the low 8 bits of each, to the file located by dataFilePath(name). The
// bytes go to a temporary file beside it first, which then replaces it, so a failed save leaves
// the old file whole. Where that fails (a directory the user may not create files in) but the
// file exists and may be written, the bytes are written into it in place. A failed save leaves
// no temporary file behind.
SettingsSave saveSettings(const char* name);

// Full path of a data file: the Windows directory, "/", then the name unchanged, in a new
// buffer of dataPathSize bytes. When the two do not fit (or the directory cannot be had) the
// buffer holds the empty path, which no file has, so opening it fails and the feature that
// wanted the file is simply missing.
constexpr std::size_t dataPathSize = 260;
std::unique_ptr<char[]> dataFilePath(const char* name);
