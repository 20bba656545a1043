#include "linux/common/linux_data_files.h"

#include <climits>

std::string userDataDirectory(const Environment& environment) {
    const std::string config = configHome(environment);
    return config.empty() ? config : config + "/emberhall";
}

DataFiles linuxDataFiles(const Environment& environment,
                         const std::optional<std::string>& dataDirectory) {
    DataFiles files;
    files.pathLimit = PATH_MAX;
    if (std::string user = userDataDirectory(environment); !user.empty())
        files.directories.push_back(std::move(user));
    if (dataDirectory && !dataDirectory->empty()) {
        std::string given = *dataDirectory;
        while (given.size() > 1 && given.back() == '/')
            given.pop_back();
        files.directories.push_back(std::move(given));
    }
    for (const std::string& system : dataDirectories(environment))
        files.directories.push_back(system + "/emberhall");
    return files;
}
