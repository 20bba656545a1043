#include "linux/common/linux_data_files.h"

#include <climits>
#include <sstream>

namespace {
// Only absolute paths name a base directory; a relative one (a mistake in the environment) is
// passed over.
bool usable(const char* path) { return path && path[0] == '/'; }

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}
} // namespace

std::string userDataDirectory(const Environment& environment) {
    if (const char* config = environment("XDG_CONFIG_HOME"); usable(config))
        return withoutTrailingSlashes(config) + "/emberhall";
    if (const char* home = environment("HOME"); usable(home))
        return withoutTrailingSlashes(home) + "/.config/emberhall";
    return {};
}

DataFiles linuxDataFiles(const Environment& environment,
                         const std::optional<std::string>& dataDirectory) {
    DataFiles files;
    files.pathLimit = PATH_MAX;
    if (std::string user = userDataDirectory(environment); !user.empty())
        files.directories.push_back(std::move(user));
    if (dataDirectory && !dataDirectory->empty())
        files.directories.push_back(withoutTrailingSlashes(*dataDirectory));
    const char* dataDirs = environment("XDG_DATA_DIRS");
    std::istringstream list(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
    for (std::string entry; std::getline(list, entry, ':');) {
        if (usable(entry.c_str()))
            files.directories.push_back(withoutTrailingSlashes(entry) + "/emberhall");
    }
    return files;
}
