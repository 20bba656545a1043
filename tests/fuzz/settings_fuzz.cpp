// The settings file, any bytes at all: the first six go to the six flags in file order, a
// missing byte gives -1 (off), and later bytes are never read. Saving the flags again writes the
// six low bytes back. The same input, taken as a data-file name, must give either the Windows
// directory, "/" and the name, or the empty path when that does not fit 259 characters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "seams/data_files.h"
#include "fuzz_support.h"

namespace {
constexpr const char* settingsName = "emberhall.dat";
constexpr std::size_t flagCount = 6;

std::vector<int32_t> flags() {
    return {standardColor(), yellowColor(),   cycleColors(),
            soundEffects(),  musicPlaylist(), randomSparks()};
}

std::vector<uint8_t> readBack(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
            bytes.push_back(uint8_t(c));
        std::fclose(file);
    }
    return bytes;
}

void checkDataFilePath(const uint8_t* data, std::size_t size) {
    std::string name(reinterpret_cast<const char*>(data), size);
    name.resize(std::strlen(name.c_str()));
    const auto path = dataFilePath(name.c_str());
    const std::string& directory = ScratchFiles::instance().directory();
    const std::string whole = directory + "/" + name;
    if (whole.size() + 1 <= dataFiles().pathLimit)
        fuzzCheck(path == whole, "the data-file path is not directory/name");
    else
        fuzzCheck(path.empty(), "a data-file path too long for the system was not refused");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const ScratchFiles& scratch = ScratchFiles::instance();
    useDataFiles(DataFiles{{scratch.directory().c_str()}});
    scratch.write(settingsName, data, size);

    resetSettings();
    loadSettings(settingsName);
    const std::vector<int32_t> loaded = flags();
    for (std::size_t i = 0; i < flagCount; ++i)
        fuzzCheck(loaded[i] == (i < size ? int32_t(data[i]) : -1), "a flag differs from its byte");

    const SettingsSave save = saveSettings(settingsName);
    fuzzCheck(save.saved, "the settings were not saved");
    std::vector<uint8_t> expected(flagCount, 0xFF);
    std::copy_n(data, std::min(size, flagCount), expected.begin());
    fuzzCheck(readBack(scratch.path(settingsName)) == expected, "the saved file is not the flags");

    checkDataFilePath(data, size);
    return 0;
}
