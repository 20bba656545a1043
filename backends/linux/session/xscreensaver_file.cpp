// The ~/.xscreensaver edit. The file is X resources: `name: value` lines, a value continued
// over the next line by a backslash at the end of the line. The programs resource holds one
// entry per screen saver, separated by the two characters \n, and an empty line ends it:
//
//     programs:                                  (backslash)
//                     maze --root                \n(backslash)
//     - GL:           superquadrics --root       \n(backslash)
//
// An entry may start with "-" (listed but not chosen at random), a visual ("GL:"), and a name
// in quotes before the command.
#include "linux/session/xscreensaver_file.h"

#include "linux/common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <vector>

namespace {
constexpr const char* entryCommand = "emberhall";
// The entry as xscreensaver-settings lays out its own lines.
constexpr const char* entryText = "\t\t\t\temberhall\t\t\t\t    ";

struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;  // of the content, before the line ending
    std::size_t next = 0; // after the line ending
    std::string ending;   // "\n", "\r\n" or "" (the last line of a file without a final one)
};

std::vector<Line> splitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        Line line;
        line.begin = at;
        const std::size_t newline = text.find('\n', at);
        if (newline == std::string::npos) {
            line.end = line.next = text.size();
        } else {
            line.end = newline;
            line.next = newline + 1;
            line.ending = "\n";
            if (line.end > line.begin && text[line.end - 1] == '\r') {
                --line.end;
                line.ending = "\r\n";
            }
        }
        lines.push_back(line);
        at = line.next;
    }
    return lines;
}

std::string contentOf(const std::string& text, const Line& line) {
    return text.substr(line.begin, line.end - line.begin);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    std::size_t from = 0, to = s.size();
    while (from < to && isSpace(s[from]))
        ++from;
    while (to > from && isSpace(s[to - 1]))
        --to;
    return s.substr(from, to - from);
}

bool continues(const std::string& content) {
    return !content.empty() && content.back() == '\\';
}

// The value after `programs:` when the line starts that resource, else nothing.
bool startsPrograms(const std::string& content, const std::string& name, std::string& rest) {
    std::size_t at = 0;
    while (at < content.size() && isSpace(content[at]))
        ++at;
    if (content.compare(at, name.size(), name) != 0)
        return false;
    at += name.size();
    while (at < content.size() && isSpace(content[at]))
        ++at;
    if (at >= content.size() || content[at] != ':')
        return false;
    rest = content.substr(at + 1);
    return true;
}

// Where a resource starts and ends: lines first..last, the last one not continued (or the last
// line of the file).
struct Resource {
    std::size_t first = 0;
    std::size_t last = 0;
    std::string value; // the joined value, continuation backslashes removed
};

bool findLastResource(const std::string& text, const std::vector<Line>& lines,
                      const std::string& name, Resource& found) {
    bool any = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string rest;
        if (!startsPrograms(contentOf(text, lines[i]), name, rest))
            continue;
        Resource resource;
        resource.first = i;
        std::size_t j = i;
        std::string part = rest;
        while (true) {
            if (continues(part) && j + 1 < lines.size()) {
                resource.value += part.substr(0, part.size() - 1);
                part = contentOf(text, lines[++j]);
                continue;
            }
            resource.value += continues(part) ? part.substr(0, part.size() - 1) : part;
            break;
        }
        resource.last = j;
        found = resource;
        any = true;
        i = j; // a later resource of the same name wins, as when XScreenSaver reads the file
    }
    return any;
}

// The command of one entry: after "-", a visual such as "GL:" and a quoted name.
std::string commandOf(std::string entry) {
    entry = trim(entry);
    if (!entry.empty() && entry[0] == '-')
        entry = trim(entry.substr(1));
    const std::size_t colon = entry.find(':');
    const std::size_t blank = entry.find_first_of(" \t\"");
    if (colon != std::string::npos && (blank == std::string::npos || colon < blank))
        entry = trim(entry.substr(colon + 1));
    if (!entry.empty() && entry[0] == '"') {
        const std::size_t close = entry.find('"', 1);
        entry = close == std::string::npos ? "" : trim(entry.substr(close + 1));
    }
    const std::size_t end = entry.find_first_of(" \t");
    std::string command = entry.substr(0, end);
    const std::size_t slash = command.rfind('/');
    return slash == std::string::npos ? command : command.substr(slash + 1);
}

bool listsEmberhall(const std::string& value) {
    std::size_t at = 0;
    while (at <= value.size()) {
        std::size_t separator = value.find("\\n", at);
        if (separator == std::string::npos)
            separator = value.size();
        if (commandOf(value.substr(at, separator - at)) == entryCommand)
            return true;
        at = separator + 2;
    }
    return false;
}

// The value so far ends with an entry separator (or holds no entry at all).
bool endsWithSeparator(const std::string& value) {
    const std::string trimmed = trim(value);
    return trimmed.empty() || trimmed.ends_with("\\n");
}

std::string readAll(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ok = in.good() || in.eof();
    if (!in.is_open())
        ok = false;
    return text.str();
}

std::string reason(int error) {
    return std::strerror(error);
}

// The lines to append to a file that has no programs resource: the system's list with
// Emberhall at its end. Empty, with the reason in `why`, when the system list cannot be had.
std::string systemProgramsWithEmberhall(const std::string& systemDefaults, std::string& why) {
    bool ok = false;
    const std::string defaults = readAll(systemDefaults, ok);
    std::string programs = ok ? programsFromSystemDefaults(defaults) : "";
    if (programs.empty()) {
        why = "the system's list of screen savers (" + systemDefaults + ") " +
              (ok ? "holds none" : "cannot be read");
        return "";
    }
    if (addEmberhallToPrograms(programs) == ProgramsEdit::noProgramsResource) {
        why = "the system's list of screen savers (" + systemDefaults + ") cannot be read";
        return "";
    }
    return programs;
}
} // namespace

ProgramsEdit addEmberhallToPrograms(std::string& text) {
    const std::vector<Line> lines = splitLines(text);
    Resource programs;
    if (!findLastResource(text, lines, "programs", programs))
        return ProgramsEdit::noProgramsResource;
    if (listsEmberhall(programs.value))
        return ProgramsEdit::alreadyListed;

    const Line& last = lines[programs.last];
    const std::string lastContent = contentOf(text, last);
    // The file's own line ending, for the lines we add: the list's, else that of the line before
    // it (a one-line list at the end of a file without a final line ending), else LF.
    std::string ending = !last.ending.empty() ? last.ending : lines[programs.first].ending;
    if (ending.empty())
        ending = programs.first > 0 && !lines[programs.first - 1].ending.empty() ? lines[programs.first - 1].ending
                                                                                : "\n";
    if (programs.last > programs.first && trim(lastContent).empty() && !continues(lastContent)) {
        // The usual case: the value ends with an empty line. Our entry goes just before it,
        // and no other line changes.
        const std::string entry = (endsWithSeparator(programs.value) ? "" : "\\n") +
                                  std::string(entryText) + "\\n\\" + ending;
        text.insert(last.begin, entry);
        return ProgramsEdit::added;
    }
    if (continues(lastContent)) {
        // The file ends inside the value: our entry ends it.
        const std::string value = programs.value;
        std::string entry = last.ending.empty() ? ending : "";
        entry += (endsWithSeparator(value) ? "" : "\\n") + std::string(entryText) + "\\n";
        text.insert(last.next, entry + (last.ending.empty() ? "" : ending));
        return ProgramsEdit::added;
    }
    // The value's last line holds an entry (or is `programs:` itself): it must go on to a next
    // line, so it gains the separator and the backslash; its own text stays as it was.
    const std::string tail = (endsWithSeparator(programs.value) ? "" : "\\n") + std::string("\\");
    std::string entry = tail + ending + entryText + "\\n" + last.ending;
    text.replace(last.end, last.next - last.end, entry);
    return ProgramsEdit::added;
}

std::string programsFromSystemDefaults(const std::string& defaults) {
    const std::vector<Line> lines = splitLines(defaults);
    Resource programs;
    if (!findLastResource(defaults, lines, "*programs", programs))
        return "";
    std::string out;
    for (std::size_t i = programs.first; i <= programs.last; ++i) {
        std::string content = contentOf(defaults, lines[i]);
        if (i == programs.first) {
            std::string rest;
            startsPrograms(content, "*programs", rest);
            content = "programs:" + rest;
        }
        out += content + "\n";
    }
    return out;
}

int addToXScreenSaver(const std::string& homeDirectory, std::ostream& out, std::ostream& err) {
    return addToXScreenSaver(homeDirectory, xscreensaverSystemDefaults, out, err);
}

int addToXScreenSaver(const std::string& homeDirectory, const std::string& systemDefaults,
                      std::ostream& out, std::ostream& err) {
    if (homeDirectory.empty()) {
        err << "emberhall: cannot add Emberhall to XScreenSaver: HOME is not set\n";
        return 1;
    }
    const std::string name = homeDirectory + "/.xscreensaver";
    const auto fail = [&](const std::string& file, const std::string& why) {
        err << "emberhall: cannot add Emberhall to " << file << ": " << why << "\n";
        return 1;
    };

    struct stat info {};
    if (lstat(name.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return fail(name, reason(errno));
        // No file yet: the system's list and Emberhall, so that nothing is hidden.
        std::string why;
        const std::string programs = systemProgramsWithEmberhall(systemDefaults, why);
        if (programs.empty())
            return fail(name, "it does not exist, and " + why +
                                  "; open xscreensaver-settings once, then run this again");
        const std::string text =
            "# XScreenSaver Preferences File\n"
            "# Written by emberhall --add-to-xscreensaver: the system's list of screen savers\n"
            "# with Emberhall at its end. Every other setting keeps its default.\n\n" +
            programs;
        const mode_t mask = umask(0);
        umask(mask);
        const std::string problem = writeFileAtomically(name, text, {.mode = mode_t(0666 & ~mask), .replace = false});
        if (!problem.empty())
            return fail(name, problem);
        out << "Created " << name << " with the system's screen savers and Emberhall.\n"
            << "Choose Emberhall in xscreensaver-settings.\n";
        return 0;
    }

    std::string path = name;
    if (S_ISLNK(info.st_mode)) {
        // Replace the file the link points to, not the link: dotfile managers keep such links.
        char resolved[PATH_MAX];
        if (!realpath(name.c_str(), resolved))
            return fail(name, "it is a symbolic link to a file that cannot be reached (" +
                                  reason(errno) + ")");
        path = resolved;
        if (stat(path.c_str(), &info) != 0)
            return fail(name, reason(errno));
    }
    if (S_ISDIR(info.st_mode))
        return fail(path, "it is a directory, not XScreenSaver's settings file");
    if (!S_ISREG(info.st_mode))
        return fail(path, "it is not a regular file");
    // Even root, who may write anything, leaves a file alone that its owner made read-only.
    if ((info.st_mode & S_IWUSR) == 0 || access(path.c_str(), W_OK) != 0)
        return fail(path, "it is read-only; make it writable first");

    bool ok = false;
    std::string text = readAll(path, ok);
    if (!ok)
        return fail(path, "it cannot be read: " + reason(errno ? errno : EIO));
    bool listAdded = false;
    switch (addEmberhallToPrograms(text)) {
    case ProgramsEdit::alreadyListed:
        out << "Emberhall is already in the screen savers of " << path << "; nothing changed.\n";
        return 0;
    case ProgramsEdit::noProgramsResource: {
        std::string why;
        const std::string programs = systemProgramsWithEmberhall(systemDefaults, why);
        if (programs.empty())
            return fail(path, "it has no list of screen savers, and " + why);
        const bool needsEnding = !text.empty() && text.back() != '\n';
        text += (needsEnding ? "\n\n" : "\n") + programs;
        listAdded = true;
        break;
    }
    case ProgramsEdit::added:
        break;
    }
    const std::string problem = writeFileAtomically(path, text, {.mode = mode_t(info.st_mode & 07777), .owner = &info});
    if (!problem.empty())
        return fail(path, problem);
    if (listAdded)
        out << "Added the system's screen savers and Emberhall to " << path
            << ", which listed none.\n";
    else
        out << "Added Emberhall to the screen savers in " << path << ".\n";
    out << "Choose it in xscreensaver-settings.\n";
    return 0;
}
