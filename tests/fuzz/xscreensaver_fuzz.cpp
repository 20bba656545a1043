// The ~/.xscreensaver edit, any text at all. That file holds the user's settings for every
// screen saver, so a line the edit mangles is a setting lost: the edit may only add.
//
// - Every byte of the file stays, in order: the edited text with the one piece that was added
//   taken out is exactly the text before.
// - The piece is Emberhall's entry with nothing but entry separators, continuation backslashes
//   and line endings around it, and those are the file's: a CRLF file stays CRLF.
// - Once added, Emberhall is listed: a second edit says so and changes nothing.
// - A file without a list gets, through the command itself on a scratch home, the system's list
//   with Emberhall in it, after an empty line; the file before it stays as it was.
//
// The input is the user's file; after a zero byte, if there is one, comes the system's
// app-defaults file (else a short one as xscreensaver-data installs it).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "linux/session/xscreensaver_file.h"

namespace {
constexpr std::string_view entryText = "\t\t\t\temberhall\t\t\t\t    ";

constexpr std::string_view shortSystemDefaults =
    "*timeout:\t\t0:10:00\n"
    "*programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "\t\t\t\tflame --root\t\t\t\t    \\n\n"
    "\n";

bool consumes(std::string_view& text, std::string_view start) {
    if (!text.starts_with(start))
        return false;
    text.remove_prefix(start.size());
    return true;
}

// Emberhall's entry once, and otherwise only separators, continuations and line endings.
bool isEmberhallsPiece(std::string_view piece) {
    bool entry = false;
    while (!piece.empty()) {
        if (!entry && consumes(piece, entryText))
            entry = true;
        else if (!consumes(piece, "\\n") && !consumes(piece, "\\\r\n") &&
                 !consumes(piece, "\\\n") && !consumes(piece, "\r\n") && !consumes(piece, "\n"))
            return false;
    }
    return entry;
}

bool everyLineEndsInCrLf(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return true;
}

// `after` is `before` with one piece inserted, and that piece is Emberhall's (a piece beside
// bytes equal to its own ends can be seen at several places; one of them must do).
void checkAddition(std::string_view before, std::string_view after) {
    fuzzCheck(after.size() > before.size(), "the edit said it added but the text did not grow");
    const std::size_t n = before.size();
    const std::size_t added = after.size() - n;
    std::size_t prefix = 0;
    while (prefix < n && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < n && before[n - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    fuzzCheck(prefix + suffix >= n, "a byte of the file was changed or lost");
    bool emberhalls = false;
    for (std::size_t at = n - suffix; at <= prefix && !emberhalls; ++at)
        emberhalls = isEmberhallsPiece(after.substr(at, added));
    fuzzCheck(emberhalls, "what was added is not Emberhall's entry");
    if (before.find("\r\n") != std::string_view::npos && everyLineEndsInCrLf(before))
        fuzzCheck(everyLineEndsInCrLf(after), "a CRLF file gained a line without CR");
    if (before.find('\r') == std::string_view::npos)
        fuzzCheck(after.find('\r') == std::string_view::npos, "a file without CR gained one");
}

void checkListedOnce(const std::string& text) {
    std::string again = text;
    fuzzCheck(addEmberhallToPrograms(again) == ProgramsEdit::alreadyListed,
              "Emberhall is not listed after it was added");
    fuzzCheck(again == text, "a second edit changed the file");
}

// The command on a scratch home: the text the edit gives, or for a file without a list, the
// file, an empty line, and the system's list with Emberhall in it.
void checkCommand(const std::string& text, const std::string& systemDefaults, ProgramsEdit edit,
                  const std::string& edited) {
    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write(".xscreensaver", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    scratch.write("XScreenSaver", reinterpret_cast<const uint8_t*>(systemDefaults.data()),
                  systemDefaults.size());
    std::ostringstream out, err;
    const int code = addToXScreenSaver(scratch.directory(), scratch.path("XScreenSaver"), out, err);
    std::ifstream in(scratch.path(".xscreensaver"), std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (edit != ProgramsEdit::noProgramsResource) {
        fuzzCheck(code == 0 && written == edited,
                  "the command wrote other text than the edit gives");
        return;
    }
    const std::string list = programsFromSystemDefaults(systemDefaults);
    if (list.empty()) {
        fuzzCheck(code == 1 && written == text, "a file was changed without the system's list");
        return;
    }
    fuzzCheck(code == 0 && written.starts_with(text), "a byte of the file was changed or lost");
    const std::string_view gap = !text.empty() && !text.ends_with('\n') ? "\n\n" : "\n";
    std::string listed = list;
    if (addEmberhallToPrograms(listed) == ProgramsEdit::added)
        checkAddition(list, listed);
    fuzzCheck(written.substr(text.size()) == std::string(gap) + listed,
              "the system's list with Emberhall does not follow the file after an empty line");
    checkListedOnce(written);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const std::string text(input.substr(0, zero));
    const std::string systemDefaults(zero == std::string_view::npos ? shortSystemDefaults
                                                                    : input.substr(zero + 1));
    std::string edited = text;
    const ProgramsEdit edit = addEmberhallToPrograms(edited);
    if (edit == ProgramsEdit::added) {
        checkAddition(text, edited);
        checkListedOnce(edited);
    } else {
        fuzzCheck(edited == text, "a file without a list, or listing Emberhall, was changed");
    }
    checkCommand(text, systemDefaults, edit, edited);
    return 0;
}
