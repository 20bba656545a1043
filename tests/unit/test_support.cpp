#include "test_support.h"

#include <fstream>
#include <iterator>
#include <stdlib.h>

TempDirectory::TempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "emberhall-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        path_ = pattern;
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

void TempDirectory::write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream out(path_ / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void TempDirectory::write(const std::string& name, const std::string& text) const {
    write(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> TempDirectory::read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
