#pragma once
// The two file-system services the settings need from the operating system.
#include <cstdint>
#include <cstdio>
#include <string>

// Like GetWindowsDirectoryA: copies the directory into buffer and returns its length without
// the terminator; returns the size needed (terminator included) when the buffer is too small;
// 0 when the directory cannot be had.
uint32_t windowsDirectory(char* buffer, uint32_t size);

// Replaces `target` with `source` in one step, whether or not `target` exists. Returns the
// empty text on success, otherwise the system's reason.
std::string replaceFile(const char* source, const char* target);

// Cuts (or extends) an open file to `size` bytes, after the caller has flushed it. Returns the
// empty text on success, otherwise the system's reason.
std::string setFileSize(std::FILE* file, uint64_t size);

// Native builds only: where windowsDirectory points. Tests give each case its own directory.
void setWindowsDirectoryForTesting(const char* directory);
