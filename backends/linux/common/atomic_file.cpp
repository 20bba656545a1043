#include "linux/common/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string writeFileAtomically(const std::string& path, const std::string& text,
                                const AtomicWrite& how) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "/." + name + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return "cannot create a file in " + folder + ": " + std::strerror(errno);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += std::size_t(n);
    }
    int error = written == text.size() ? 0 : (errno ? errno : EIO);
    if (!error && fchmod(fd, how.mode) != 0)
        error = errno;
    if (!error && how.owner && geteuid() == 0)
        (void)!fchown(fd, how.owner->st_uid, how.owner->st_gid);
    if (!error && how.durable && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && !error)
        error = errno;
    if (!error) {
        if (how.replace) {
            if (rename(temporary.c_str(), path.c_str()) != 0)
                error = errno;
        } else if (link(temporary.c_str(), path.c_str()) != 0) {
            error = errno;
        }
    }
    if (error || !how.replace)
        unlink(temporary.c_str());
    if (error == EEXIST)
        return "it was created by someone else meanwhile; run this again";
    return error ? std::string("cannot write it: ") + std::strerror(error) : "";
}
