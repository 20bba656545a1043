#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

ScratchFiles& ScratchFiles::instance() {
    static ScratchFiles files;
    return files;
}

ScratchFiles::ScratchFiles() {
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base =
        std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
    std::string pattern = (base / "emberhall-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("emberhall fuzz: cannot make a scratch directory");
        std::abort();
    }
    directory_ = pattern;
}

ScratchFiles::~ScratchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

void ScratchFiles::write(const char* name, const uint8_t* data, std::size_t size) const {
    std::FILE* file = std::fopen(path(name).c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror("emberhall fuzz: cannot write the scratch file");
        std::abort();
    }
}

void fuzzCheck(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "emberhall fuzz: %s\n", what);
    std::abort();
}
