#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "config/system_paths.h"

namespace {
std::string& nativeWindowsDirectory() {
    static std::string directory = [] {
        const char* fromEnvironment = std::getenv("EMBERHALL_WINDOWS_DIR");
        return std::string(fromEnvironment ? fromEnvironment : ".");
    }();
    return directory;
}
} // namespace

void setWindowsDirectoryForTesting(const char* directory) { nativeWindowsDirectory() = directory; }

uint32_t windowsDirectory(char* buffer, uint32_t size) {
    const std::string& directory = nativeWindowsDirectory();
    if (directory.empty())
        return 0;
    if (directory.size() + 1 > size)
        return uint32_t(directory.size() + 1);
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return uint32_t(directory.size());
}

std::string replaceFile(const char* source, const char* target) {
    if (std::rename(source, target) == 0)
        return {};
    return std::strerror(errno);
}

std::string setFileSize(std::FILE* file, uint64_t size) {
    if (::ftruncate(::fileno(file), off_t(size)) == 0)
        return {};
    return std::strerror(errno);
}
