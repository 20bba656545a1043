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

#include "linux/common/linux_data_files.h"

// Where the entry goes; empty when neither XDG_CONFIG_HOME nor HOME is known.
std::string idleAutostartPath(const Environment& environment);

// The entry's text for `command`, the whole command line it runs.
std::string idleAutostartEntry(const std::string& command);

// The idle time of the entry at `path`, when there is one that runs --idle.
std::optional<uint32_t> idleAutostartTime(const std::string& path);

// Writes (or replaces) the entry, running the program (its path and options, one word each)
// with --idle TIME, and says so on `out`, or why not on `err`. Returns the exit code: 0 or 1.
int addIdleAutostart(const std::string& path, const std::vector<std::string>& program,
                     uint32_t idleMilliseconds, std::ostream& out, std::ostream& err);
// Removes the entry; no entry is no error.
int removeIdleAutostart(const std::string& path, std::ostream& out, std::ostream& err);
