#pragma once
// Where the data files live on Linux, following the XDG base directories: the user's own
// files first ($XDG_CONFIG_HOME/emberhall, by default ~/.config/emberhall: emberhall.dat, and
// fire_data/motd.txt and pls.txt when the user writes them), then a directory given on the
// command line (a source checkout's data/), then the system's ($XDG_DATA_DIRS entries under
// emberhall/, by default /usr/local/share/emberhall and /usr/share/emberhall). Each holds the
// files laid out as on Windows: emberhall.dat, fire_fonts/font.tga, fire_data/....
#include <optional>
#include <string>

#include "linux/common/xdg_directories.h"
#include "seams/data_files.h"

DataFiles linuxDataFiles(const Environment& environment,
                         const std::optional<std::string>& dataDirectory);

// $XDG_CONFIG_HOME/emberhall or $HOME/.config/emberhall; empty when neither is known.
std::string userDataDirectory(const Environment& environment);
