#pragma once
// The six user options and the file that keeps them: six bytes, one per flag, in the order
// below. A flag counts as on only when it equals exactly 1, everywhere it is read.
//
// The options are process-wide, each behind a read and a write accessor. A saver loads them
// once at its start and then hands them on as a value (`Settings`), so the fire and the sound
// see one fixed set for the whole run; the configuration dialog changes them click by click and
// saves them on OK.
#include <cstdint>
#include <string>

struct Settings {
    int32_t standardColor = 1;
    int32_t yellowColor = 0;
    int32_t cycleColors = 0;
    int32_t soundEffects = 1;
    int32_t musicPlaylist = 0;
    int32_t randomSparks = 0;
};

constexpr bool isOn(int32_t flag) { return flag == 1; }

// The fire's colour as the settings choose it: the first colour flag that is on, in the order
// standard, yellow, cycling, decides; with none on there is no choice.
enum class FireColor { standard, yellow, cycle, none };
FireColor fireColorOf(const Settings& settings);

// The process-wide options as they stand now.
Settings currentSettings();

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

// Full path of a data file: a data directory, "/", then the name unchanged. The first directory
// (seams/data_files.h) in which the file exists wins; when it exists in none, the path in the
// first directory. A path that does not fit the system's limit is never formed: with no
// directory it fits in, the result is the empty path, which no file has, so opening it fails and
// the feature that wanted the file is simply missing.
std::string dataFilePath(const char* name);
