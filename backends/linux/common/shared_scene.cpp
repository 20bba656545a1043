#include "linux/common/shared_scene.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "linux/common/atomic_file.h"
#include "linux/common/xdg_directories.h"
#include "seams/clock.h"
#include "seams/data_files.h"

namespace {
// A resume file is three short lines; anything much longer is not one.
constexpr std::size_t resumeFileLimit = 4096;

// ":0.1" and ":0" are one display (the screen does not count); the name becomes part of a file
// name, so anything but letters, digits and . _ - : is replaced.
std::string displayKey(std::string_view display) {
    std::string key(display.empty() ? std::string_view("default") : display);
    const std::size_t colon = key.rfind(':');
    const std::size_t dot = key.rfind('.');
    if (colon != std::string::npos && dot != std::string::npos && dot > colon + 1 &&
        key.find_first_not_of("0123456789", dot + 1) == std::string::npos)
        key.erase(dot);
    for (char& c : key) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '_' || c == '-' || c == ':';
        if (!plain)
            c = '_';
    }
    return key;
}

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "localhost";
    return displayKey(name);
}
} // namespace

SharedPlaces sharedPlaces(const Environment& environment, std::string_view display) {
    SharedPlaces places;
    const std::string key = displayKey(display);
    const std::string cacheRoot = cacheHome(environment);
    const std::string cache = cacheRoot.empty() ? cacheRoot : cacheRoot + "/emberhall";
    const bool haveCache = !cache.empty() && makeFolders(cache).empty();
    const std::string runtime = runtimeDirectory(environment);
    if (!runtime.empty() && makeFolders(runtime + "/emberhall").empty())
        places.leadLock = runtime + "/emberhall/lead-" + key;
    else if (haveCache) // a home folder may be shared by several machines
        places.leadLock = cache + "/lead-" + hostName() + "-" + key;
    if (haveCache)
        places.resume = cache + "/resume";
    return places;
}

LeadLock::~LeadLock() {
    if (fd_ >= 0)
        close(fd_); // lets go of the lock
}

bool LeadLock::tryToLead() {
    if (leading_)
        return true;
    if (path_.empty())
        return leading_ = true;
    if (fd_ < 0)
        fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // A lock file we cannot open leaves nobody to share with that we could know of.
    if (fd_ < 0)
        return leading_ = true;
    leading_ = flock(fd_, LOCK_EX | LOCK_NB) == 0;
    return leading_;
}

ResumePoint readResumeFile(const std::string& path) {
    if (!isRegularFile(path.c_str()))
        return {}; // none yet, or a FIFO that would hold the start
    std::ifstream in(path, std::ios::binary);
    std::string text(resumeFileLimit + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    if (text.size() > resumeFileLimit)
        return {};
    return parseResumePoint(text).value_or(ResumePoint{});
}

bool writeResumeFile(const std::string& path, const ResumePoint& point) {
    return !path.empty() &&
           writeFileAtomically(path, formatResumePoint(point), {.mode = 0600, .durable = false}).empty();
}

SharedScene::SharedScene(Clock& clock, SharedPlaces places)
    : clock_(clock), places_(std::move(places)), lock_(places_.leadLock), scene_(clock) {}

void SharedScene::openAudio(const Settings& settings) {
    if (lock_.tryToLead())
        scene_.openAudio(settings);
}

void SharedScene::start(const Settings& settings) {
    scene_.start(settings, readResumeFile(places_.resume), lock_.leading());
    lastTry_ = lastWrite_ = clock_.tickCount();
}

void SharedScene::drawFrame(uint32_t* pixels) {
    scene_.drawFrame(pixels);
    const uint32_t now = clock_.tickCount();
    if (lock_.leading()) {
        if (ticksSince(now, lastWrite_) >= resumeWriteMilliseconds) {
            lastWrite_ = now;
            keepResumePoint();
        }
    } else if (ticksSince(now, lastTry_) >= leadRetryMilliseconds) {
        lastTry_ = now;
        // The lead has gone: its last resume point says where its music was.
        if (lock_.tryToLead())
            scene_.startSound(readResumeFile(places_.resume));
    }
}

void SharedScene::stop() {
    if (lock_.leading())
        keepResumePoint();
    scene_.stop();
}

void SharedScene::keepResumePoint() {
    const ResumePoint point = scene_.resumePoint();
    std::string text = formatResumePoint(point);
    if (text != written_ && writeResumeFile(places_.resume, point))
        written_ = std::move(text);
}
