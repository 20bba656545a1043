#include "linux/common/xdg_directories.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>

namespace {
std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string absolute(const char* path) {
    return path && path[0] == '/' ? withoutTrailingSlashes(path) : std::string();
}

std::string underHome(const Environment& environment, const char* variable, const char* fallback) {
    if (std::string set = absolute(environment(variable)); !set.empty())
        return set;
    const std::string home = absolute(environment("HOME"));
    return home.empty() ? home : (home == "/" ? "" : home) + "/" + fallback;
}
} // namespace

std::string configHome(const Environment& environment) {
    return underHome(environment, "XDG_CONFIG_HOME", ".config");
}

std::string cacheHome(const Environment& environment) {
    return underHome(environment, "XDG_CACHE_HOME", ".cache");
}

std::string runtimeDirectory(const Environment& environment) {
    return absolute(environment("XDG_RUNTIME_DIR"));
}

std::vector<std::string> dataDirectories(const Environment& environment) {
    const char* list = environment("XDG_DATA_DIRS");
    std::istringstream entries(list && *list ? list : "/usr/local/share:/usr/share");
    std::vector<std::string> directories;
    for (std::string entry; std::getline(entries, entry, ':');)
        if (std::string directory = absolute(entry.c_str()); !directory.empty())
            directories.push_back(std::move(directory));
    return directories;
}

std::string makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return "cannot create the folder " + part + ": " + std::strerror(errno);
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return "cannot create the folder " + path + ": " + std::strerror(ENOTDIR);
    return {};
}
