// The command line: any text the screen-saver host or a user may give. The letter must come
// from its fixed place (third character after a closing quotation mark, else second after the
// first blank) or be 0 when the text ends first, and nothing past the text may be read.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "windows/mode_letter.h"

namespace {
// The place of the letter, worked out over the whole text at once.
char expectedLetter(const std::string& line) {
    std::size_t at;
    if (!line.empty() && line[0] == '"') {
        const std::size_t close = line.find('"', 1);
        at = (close == std::string::npos ? line.size() : close) + 3;
    } else {
        const std::size_t blank = line.find(' ');
        at = (blank == std::string::npos ? line.size() : blank) + 2;
    }
    return at < line.size() ? line[at] : 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // The system gives the line as a C string: it ends at the first NUL. Held in a buffer of
    // exactly its length, so the address sanitizer sees any read past the terminator.
    std::string line(reinterpret_cast<const char*>(data), size);
    line.resize(line.find('\0') == std::string::npos ? line.size() : line.find('\0'));
    const std::unique_ptr<char[]> text(new char[line.size() + 1]);
    line.copy(text.get(), line.size());
    text[line.size()] = '\0';

    const char letter = modeLetterOf(text.get());
    fuzzCheck(letter == expectedLetter(line), "the letter is not the one at its fixed place");

    const SaverMode withDesktop = chooseMode(letter, true);
    const SaverMode withoutDesktop = chooseMode(letter, false);
    const bool configure = letter == 'c' || letter == 'C';
    const bool saver = letter == 's' || letter == 'S' || letter == 0;
    fuzzCheck(withDesktop == (configure ? SaverMode::Configure
                              : saver   ? SaverMode::Saver
                                        : SaverMode::Exit),
              "wrong mode with a desktop window");
    fuzzCheck(withoutDesktop == (saver ? SaverMode::Saver : SaverMode::Exit),
              "wrong mode without a desktop window");
    return 0;
}
