#pragma once
// The XDG base directories, where the Linux programs keep the user's files: read from the
// environment as the freedesktop rules give them, and made the one way those rules ask for.
// Only an absolute path names a base directory; a relative one (a mistake in the environment)
// is passed over as if unset. Trailing slashes are dropped.
#include <functional>
#include <string>
#include <vector>

// getenv, or a stand-in for tests.
using Environment = std::function<const char*(const char*)>;

// $XDG_CONFIG_HOME, else ~/.config; empty when neither that nor HOME is known.
std::string configHome(const Environment& environment);
// $XDG_CACHE_HOME, else ~/.cache; empty when neither that nor HOME is known.
std::string cacheHome(const Environment& environment);
// $XDG_RUNTIME_DIR; empty when it is not set.
std::string runtimeDirectory(const Environment& environment);
// The entries of $XDG_DATA_DIRS, else /usr/local/share and /usr/share.
std::vector<std::string> dataDirectories(const Environment& environment);

// Makes the folder and those above it that are missing, private to the user (0700). The empty
// text when it is a folder afterwards, otherwise why not, naming the folder.
std::string makeFolders(const std::string& path);
