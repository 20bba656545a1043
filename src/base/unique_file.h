#pragma once
// A C stream that closes itself. Every data file of the saver is read or written through the
// standard library's buffered streams; this keeps each one closed on every way out.
#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen that accepts a null path (and then opens nothing).
inline UniqueFile openFile(const char* path, const char* mode) {
    return UniqueFile(path ? std::fopen(path, mode) : nullptr);
}
