#pragma once
// Shared by the libFuzzer targets: a scratch file for loaders that read from a path, and a way
// to stop the run on a broken promise that no sanitizer would see.
#include <cstddef>
#include <cstdint>
#include <string>

// Files on a memory file system (/dev/shm when there is one), in a directory of this process
// that goes away when the process ends normally. Every input of a run reuses the same files,
// so a million inputs neither wear the disk nor fill the directory.
class ScratchFiles {
  public:
    static ScratchFiles& instance();
    const std::string& directory() const { return directory_; }
    std::string path(const char* name) const { return directory_ + "/" + name; }
    // Replaces the whole content of the file `name` with the given bytes.
    void write(const char* name, const uint8_t* data, std::size_t size) const;

  private:
    ScratchFiles();
    ~ScratchFiles();
    std::string directory_;
};

// Aborts with a message when `holds` is false, so libFuzzer keeps the input as a crash.
void fuzzCheck(bool holds, const char* what);
