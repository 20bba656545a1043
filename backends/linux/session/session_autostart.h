#pragma once
// emberhall --add-to-session TIME / --remove-from-session: the freedesktop autostart entry that
// starts `emberhall --idle TIME` with every login, so the saver comes up by itself on a Wayland
// desktop. KDE Plasma, GNOME, Xfce, MATE and LXQt start such entries; sway and Hyprland do not
// (their own configuration starts programs), which the README says.
//
// The entry is $XDG_CONFIG_HOME/autostart/emberhall-idle.desktop (by default
// ~/.config/autostart/), written in one step; it names the program by its full path.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "linux/common/xdg_directories.h"

// Where the entry goes; empty when neither XDG_CONFIG_HOME nor HOME is known.
std::string idleAutostartPath(const Environment& environment);

// The entry's text for `command`, the whole command line it runs.
std::string idleAutostartEntry(const std::string& command);

// What an entry runs: its command before " --idle ", as written in the entry (quoted where it
// needs to be), and the idle time after it.
struct IdleAutostart {
    std::string command;
    uint32_t idleMilliseconds = 0;
};
// The entry at `path`, when there is one that runs --idle with a time that reads.
std::optional<IdleAutostart> readIdleAutostart(const std::string& path);
// Its idle time alone.
std::optional<uint32_t> idleAutostartTime(const std::string& path);

// Writes (or replaces) the entry, running the program (its path and options, one word each)
// with --idle TIME, and says so on `out`, or why not on `err`. Returns the exit code: 0 or 1.
int addIdleAutostart(const std::string& path, const std::vector<std::string>& program,
                     uint32_t idleMilliseconds, std::ostream& out, std::ostream& err);
// The same for a command as an entry writes it: another time for the command of an entry that
// was read, which keeps what only the command line says (--data-dir, say).
int writeIdleAutostart(const std::string& path, const std::string& command,
                       uint32_t idleMilliseconds, std::ostream& out, std::ostream& err);
// Removes the entry; no entry is no error.
int removeIdleAutostart(const std::string& path, std::ostream& out, std::ostream& err);
