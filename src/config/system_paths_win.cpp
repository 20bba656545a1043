#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>

#include "config/system_paths.h"

uint32_t windowsDirectory(char* buffer, uint32_t size) { return GetWindowsDirectoryA(buffer, size); }

std::string replaceFile(const char* source, const char* target) {
    if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    const DWORD error = GetLastError();
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    // The system's text ends in a full stop and a line break; the reason goes inside a sentence.
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                               reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(error) : reason;
}

std::string setFileSize(std::FILE* file, uint64_t size) {
    if (size > uint64_t(LONG_MAX))
        return "the size is too large";
    if (_chsize(_fileno(file), long(size)) == 0)
        return {};
    return std::strerror(errno);
}

void setWindowsDirectoryForTesting(const char*) {}
