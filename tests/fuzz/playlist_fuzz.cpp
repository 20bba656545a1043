// The playlist, any bytes at all: the names must be the file's whitespace-separated words in
// file order, each cut to 1023 characters, starting over after the last; a file without a
// word gives the empty name every time.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sound/playlist.h"

namespace {
// More reads than words, so every input also goes round at least once.
constexpr std::size_t extraReads = 3;
constexpr std::size_t mostReads = 64;

std::vector<std::string> wordsOf(const uint8_t* data, std::size_t size) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < size) {
        while (i < size && std::isspace(data[i]))
            ++i;
        if (i == size)
            break;
        std::string word;
        for (; i < size && !std::isspace(data[i]); ++i)
            word += char(data[i]);
        word.resize(std::min(word.size(), trackNameSize - 1));
        words.push_back(word);
    }
    return words;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write("pls.txt", data, size);
    Playlist playlist;
    fuzzCheck(playlist.open(scratch.path("pls.txt").c_str()), "the playlist did not open");

    const std::vector<std::string> words = wordsOf(data, size);
    const std::size_t reads = std::min(words.size() + extraReads, mostReads);
    for (std::size_t n = 0; n < reads; ++n) {
        const auto name = playlist.nextName();
        fuzzCheck(name != nullptr, "an open playlist gave no name");
        // The whole buffer: the name, then zero bytes to its end.
        std::string expected = words.empty() ? std::string() : words[n % words.size()];
        expected.resize(trackNameSize, '\0');
        fuzzCheck(std::memcmp(name.get(), expected.data(), trackNameSize) == 0,
                  "the name is not the next word of the file");
    }

    Playlist closed;
    fuzzCheck(closed.nextName() == nullptr, "a playlist with no file gave a name");
    return 0;
}
