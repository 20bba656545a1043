#include "linux/session/session_autostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>

#include "linux/common/atomic_file.h"
#include "linux/common/options.h"

namespace {
constexpr const char* idleOption = " --idle ";

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// An Exec value is quoted when it holds anything but plain characters; inside the quotes, the
// characters that desktop entries reserve are escaped.
std::string execQuoted(const std::string& word) {
    if (word.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") == std::string::npos)
        return word;
    std::string quoted = "\"";
    for (char c : word) {
        // A backslash before the character, itself written as two in the file's strings.
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += "\\\\";
        quoted += c == '\\' ? std::string("\\\\") : c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quoted + "\"";
}
} // namespace

std::string idleAutostartPath(const Environment& environment) {
    const std::string config = configHome(environment);
    return config.empty() ? config : config + "/autostart/emberhall-idle.desktop";
}

std::string idleAutostartEntry(const std::string& command) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Emberhall when idle\n"
           "Comment=Covers the screens with fire when the session has been idle (Wayland)\n"
           "Exec=" + command + "\n"
           "Icon=preferences-desktop-screensaver\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::optional<IdleAutostart> readIdleAutostart(const std::string& path) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Exec=", 0) != 0)
            continue;
        const std::size_t at = line.find(idleOption);
        if (at == std::string::npos)
            return std::nullopt;
        std::istringstream rest(line.substr(at + std::strlen(idleOption)));
        std::string time;
        rest >> time;
        const std::optional<uint32_t> milliseconds = parseIdleTime(time);
        if (!milliseconds)
            return std::nullopt;
        return IdleAutostart{line.substr(std::strlen("Exec="), at - std::strlen("Exec=")), *milliseconds};
    }
    return std::nullopt;
}

std::optional<uint32_t> idleAutostartTime(const std::string& path) {
    const std::optional<IdleAutostart> entry = readIdleAutostart(path);
    return entry ? std::optional<uint32_t>(entry->idleMilliseconds) : std::nullopt;
}

int addIdleAutostart(const std::string& path, const std::vector<std::string>& program,
                     uint32_t idleMilliseconds, std::ostream& out, std::ostream& err) {
    std::string command;
    for (const std::string& word : program)
        command += (command.empty() ? "" : " ") + execQuoted(word);
    return writeIdleAutostart(path, command, idleMilliseconds, out, err);
}

int writeIdleAutostart(const std::string& path, const std::string& command,
                       uint32_t idleMilliseconds, std::ostream& out, std::ostream& err) {
    if (path.empty()) {
        err << "emberhall: no home folder to put the autostart entry in (HOME is not set)\n";
        return 1;
    }
    if (command.empty()) {
        err << "emberhall: no program to start with the session\n";
        return 1;
    }
    if (const std::string problem = makeFolders(folderOf(path)); !problem.empty()) {
        err << "emberhall: " << problem << "\n";
        return 1;
    }
    const std::string time = idleTimeText(idleMilliseconds);
    const std::string entry = idleAutostartEntry(command + idleOption + time);
    if (const std::string problem = writeFileAtomically(path, entry, {.mode = 0644}); !problem.empty()) {
        err << "emberhall: " << path << ": " << problem << "\n";
        return 1;
    }
    out << "Emberhall now starts with your session and covers the screens after " << time
        << (time.back() == 's' ? "" : " minutes") << " without input (" << path << ").\n";
    return 0;
}

int removeIdleAutostart(const std::string& path, std::ostream& out, std::ostream& err) {
    const int error = path.empty() ? ENOENT : unlink(path.c_str()) == 0 ? 0 : errno;
    if (error == ENOENT) {
        out << "Emberhall was not started with your session; nothing to remove.\n";
        return 0;
    }
    if (error != 0) {
        err << "emberhall: cannot remove " << path << ": " << std::strerror(error) << "\n";
        return 1;
    }
    out << "Emberhall no longer starts with your session (" << path << " removed).\n";
    return 0;
}
