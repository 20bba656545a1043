#include "windows/windows_data_files.h"

#include <windows.h>

#include <string>

namespace {
constexpr UINT maxPath = MAX_PATH;

std::string replaceFile(const char* source, const char* target) {
    if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    const DWORD error = GetLastError();
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    // The system's text ends in a full stop and a line break; the reason goes inside a sentence.
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "system error " + std::to_string(error) : reason;
}
// A folder, a device (CON, a named pipe) or a path the system cannot describe is not read: its
// reads could wait for ever, or never end.
bool windowsIsRegularFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}
} // namespace

DataFiles windowsDataFiles() {
    DataFiles files;
    files.pathLimit = maxPath;
    files.replaceFile = replaceFile;
    files.isRegularFile = windowsIsRegularFile;
    // Asked for at most 260 bytes; a directory that does not fit (or none at all) leaves no place
    // for data files, and every feature that wants one is simply missing.
    char directory[maxPath] = {};
    const UINT length = GetWindowsDirectoryA(directory, maxPath);
    if (length > 0 && length < maxPath)
        files.directories.emplace_back(directory, length);
    return files;
}
