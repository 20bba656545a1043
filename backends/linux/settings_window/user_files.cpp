#include "linux/settings_window/user_files.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/unique_file.h"
#include "linux/common/xdg_directories.h"

namespace fs = std::filesystem;

namespace {
// The shipped file: the first other data directory that holds it.
std::string shippedFile(const std::string& userDirectory, const DataFiles& files,
                        const char* name) {
    for (const std::string& directory : files.directories) {
        std::error_code ignored;
        const fs::path path = fs::path(directory) / name;
        if (directory != userDirectory && fs::is_regular_file(path, ignored))
            return path.string();
    }
    return {};
}
} // namespace

UserCopy userCopyOf(const std::string& userDirectory, const DataFiles& files, const char* name) {
    UserCopy copy;
    if (userDirectory.empty()) {
        copy.reason = "neither XDG_CONFIG_HOME nor HOME names the folder for your own files";
        return copy;
    }
    copy.path = userDirectory + "/" + name;
    std::error_code error;
    if (fs::exists(copy.path, error))
        return copy;
    const fs::path target(copy.path);
    copy.reason = makeFolders(target.parent_path().string());
    if (!copy.reason.empty())
        return copy;
    const std::string shipped = shippedFile(userDirectory, files, name);
    const std::string temporary = copy.path + ".new";
    if (shipped.empty()) {
        // Nothing shipped (a saver run from a build tree): an empty file to start from.
        if (!openFile(temporary.c_str(), "wb"))
            error.assign(errno, std::generic_category());
    } else {
        fs::copy_file(shipped, temporary, fs::copy_options::overwrite_existing, error);
    }
    // The shipped file may be read-only; the user's copy is for writing.
    if (!error)
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, error);
    if (!error)
        fs::rename(temporary, target, error);
    if (error) {
        const std::string what =
            shipped.empty() ? "cannot create it" : "cannot copy " + shipped + " to it";
        copy.reason = what + ": " + error.message();
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    return copy;
}
