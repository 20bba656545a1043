// The ~/.xscreensaver edit, any text at all. That file holds the user's settings for every
// screen saver, so a line the edit mangles is a setting lost: the edit may only add.
//
// - Every byte of the file stays, in order: the edited text with the one piece that was added
//   taken out is exactly the text before.
// - The piece is Emberhall's entry with nothing but entry separators, continuation backslashes
//   and line endings around it, and those line endings are the file's: a CRLF file stays CRLF,
//   a file without CR gains none.
// - The list XScreenSaver reads (the last programs resource) is the one it was, with Emberhall
//   as one more entry at its end.
// - Once added, Emberhall is listed: a second edit says so and changes nothing. A file left
//   unchanged had a list naming emberhall, or no list at all.
// - A file without a list gets the system's list with Emberhall appended, after an empty line
//   that ends whatever value the file left open; this goes through the command itself, on a
//   scratch home directory.
//
// The input is the user's file; after a zero byte, if there is one, comes the system's
// app-defaults file (else a short one as xscreensaver-data installs it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "linux/session/xscreensaver_file.h"

namespace {
constexpr std::string_view entryText = "\t\t\t\temberhall\t\t\t\t    ";

constexpr std::string_view shortSystemDefaults =
    "*timeout:\t\t0:10:00\n"
    "*programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
    "\t\t\t\tflame --root\t\t\t\t    \\n\n"
    "\n"
    "*pointerHysteresis:\t10\n";

struct Line {
    std::string content; // without its line ending
    std::size_t begin = 0;
};

// Lines as XScreenSaver reads them: ended by \n, a \r before it dropped.
std::vector<Line> linesOf(std::string_view text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t newline = text.find('\n', at);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        std::size_t contentEnd = end;
        if (newline != std::string_view::npos && contentEnd > at && text[contentEnd - 1] == '\r')
            --contentEnd;
        lines.push_back({std::string(text.substr(at, contentEnd - at)), at});
        at = newline == std::string_view::npos ? text.size() : newline + 1;
    }
    return lines;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// The value when the line starts a `programs:` resource.
std::optional<std::string> programsValue(const std::string& content) {
    std::size_t at = content.find_first_not_of(" \t");
    constexpr std::string_view name = "programs";
    if (at == std::string::npos || content.compare(at, name.size(), name) != 0)
        return std::nullopt;
    at = content.find_first_not_of(" \t", at + name.size());
    if (at == std::string::npos || content[at] != ':')
        return std::nullopt;
    return content.substr(at + 1);
}

struct Programs {
    std::size_t begin = 0; // where its first line begins in the file
    std::vector<std::string> entries;
};

// The last programs resource, its lines joined where a backslash ends one, and its entries (cut
// at each \n, blanks around them dropped, empty ones left out).
std::optional<Programs> lastPrograms(std::string_view text) {
    const std::vector<Line> lines = linesOf(text);
    std::optional<Programs> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<std::string> part = programsValue(lines[i].content);
        if (!part)
            continue;
        const std::size_t first = i;
        std::string value;
        while (!part->empty() && part->back() == '\\' && i + 1 < lines.size()) {
            value += part->substr(0, part->size() - 1);
            part = lines[++i].content;
        }
        value += !part->empty() && part->back() == '\\' ? part->substr(0, part->size() - 1) : *part;

        Programs programs{lines[first].begin, {}};
        for (std::size_t at = 0; at <= value.size();) {
            std::size_t separator = value.find("\\n", at);
            if (separator == std::string::npos)
                separator = value.size();
            if (std::string entry = trimmed(std::string_view(value).substr(at, separator - at));
                !entry.empty())
                programs.entries.push_back(std::move(entry));
            at = separator + 2;
        }
        found = std::move(programs);
    }
    return found;
}

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

// The piece goes in between lines, ending with a line ending of its own, or at the end of a
// line's text (before its line ending, or at the end of the file), then ending without one: either
// way no line of the file is split or runs into another.
bool keepsLinesWhole(std::string_view before, std::size_t at, std::string_view piece) {
    const bool lineStart = at == 0 || before[at - 1] == '\n';
    const bool lineEnd = at == before.size() || before.substr(at, 2) == "\r\n" ||
                         (before[at] == '\n' && (at == 0 || before[at - 1] != '\r'));
    const bool endsLine = piece.ends_with('\n');
    return (lineStart && endsLine) || (lineEnd && !endsLine);
}

// `after` is `before` with one piece inserted, and that piece is Emberhall's (a piece beside
// bytes equal to its own ends can be seen at several places; one of them must do). Its line
// endings follow the file's, and it goes into the list, never before it.
void checkAddition(std::string_view before, std::string_view after, std::size_t listBegin) {
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
    bool linesWhole = false;
    for (std::size_t at = std::max(n - suffix, listBegin); at <= prefix && !linesWhole; ++at) {
        const std::string_view piece = after.substr(at, added);
        if (isEmberhallsPiece(piece)) {
            emberhalls = true;
            linesWhole = keepsLinesWhole(before, at, piece);
        }
    }
    fuzzCheck(emberhalls, "what was added is not Emberhall's entry in the list");
    fuzzCheck(linesWhole, "a line of the file was split or changed");

    if (before.find("\r\n") != std::string_view::npos && everyLineEndsInCrLf(before))
        fuzzCheck(everyLineEndsInCrLf(after), "a CRLF file gained a line without CR");
    if (before.find('\r') == std::string_view::npos)
        fuzzCheck(after.find('\r') == std::string_view::npos, "a file without CR gained one");
}

// The list after is the list before with Emberhall's entry at its end.
void checkListGained(const Programs& before, std::string_view after) {
    const std::optional<Programs> list = lastPrograms(after);
    fuzzCheck(list.has_value(), "the list was lost");
    std::vector<std::string> expected = before.entries;
    expected.push_back(trimmed(entryText));
    fuzzCheck(list->entries == expected, "the list is not the old one with Emberhall at its end");
}

void checkListedOnce(const std::string& text) {
    std::string again = text;
    fuzzCheck(addEmberhallToPrograms(again) == ProgramsEdit::alreadyListed,
              "Emberhall is not listed after it was added");
    fuzzCheck(again == text, "a second edit changed the file");
}

std::string readBack(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The command on a scratch home directory: the edited text as the edit gives it, or, for a file
// without a list, the file with the system's list and Emberhall appended.
void checkCommand(const std::string& text, const std::string& systemDefaults, ProgramsEdit edit,
                  const std::string& edited) {
    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write(".xscreensaver", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    scratch.write("XScreenSaver", reinterpret_cast<const uint8_t*>(systemDefaults.data()),
                  systemDefaults.size());
    std::ostringstream out, err;
    const int code = addToXScreenSaver(scratch.directory(), scratch.path("XScreenSaver"), out, err);
    const std::string written = readBack(scratch.path(".xscreensaver"));
    if (edit != ProgramsEdit::noProgramsResource) {
        fuzzCheck(code == 0, "a file with a list was not edited");
        fuzzCheck(written == edited, "the command wrote other text than the edit gives");
        return;
    }

    const std::string list = programsFromSystemDefaults(systemDefaults);
    if (list.empty()) {
        fuzzCheck(code == 1, "no list was added, yet the command reported success");
        fuzzCheck(written == text, "a file was changed without the system's list");
        return;
    }
    fuzzCheck(list.starts_with("programs:") && list.ends_with("\n"),
              "the system's list is not a programs resource of whole lines");
    fuzzCheck(code == 0, "the system's list was not added");
    fuzzCheck(written.starts_with(text), "a byte of the file was changed or lost");
    const std::string_view appended = std::string_view(written).substr(text.size());
    // An empty line before the list, so a value the file left open ends there.
    const std::string_view gap = !text.empty() && !text.ends_with('\n') ? "\n\n" : "\n";
    fuzzCheck(appended.starts_with(gap), "the system's list does not start after an empty line");
    const std::string_view added = appended.substr(gap.size());
    const std::optional<Programs> systemList = lastPrograms(list);
    fuzzCheck(systemList.has_value(), "the system's list is not a programs resource");
    std::string check = list;
    if (addEmberhallToPrograms(check) == ProgramsEdit::alreadyListed) {
        fuzzCheck(added == list, "the system's list, which names Emberhall, was changed");
    } else {
        checkAddition(list, added, 0);
        checkListGained(*systemList, written);
    }
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
    const std::optional<Programs> list = lastPrograms(text);
    fuzzCheck((edit == ProgramsEdit::noProgramsResource) == !list.has_value(),
              "the edit and the file disagree on whether it has a list");
    switch (edit) {
    case ProgramsEdit::noProgramsResource:
        fuzzCheck(edited == text, "a file without a list was changed");
        break;
    case ProgramsEdit::alreadyListed:
        fuzzCheck(edited == text, "a file that lists Emberhall was changed");
        fuzzCheck(std::ranges::any_of(list->entries,
                                      [](const std::string& entry) {
                                          return entry.find("emberhall") != std::string::npos;
                                      }),
                  "a list without emberhall was taken to name it");
        break;
    case ProgramsEdit::added:
        checkAddition(text, edited, list->begin);
        checkListGained(*list, edited);
        checkListedOnce(edited);
        break;
    }
    checkCommand(text, systemDefaults, edit, edited);
    return 0;
}
