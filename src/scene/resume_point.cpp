#include "scene/resume_point.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "seams/data_files.h"

namespace {
constexpr std::string_view header = "emberhall resume 1";
// Offsets and times beyond these come from no real file or track.
constexpr long long offsetLimit = 1LL << 40;
constexpr uint64_t millisecondsLimit = 1000ull * 60 * 60 * 24 * 7;

// Splits `line` at single blanks.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = line.find(' ', start);
        out.push_back(line.substr(start, blank - start));
        if (blank == std::string_view::npos)
            return out;
        start = blank + 1;
    }
}

// A number as formatResumePoint writes it: decimal without a leading zero, hexadecimal in small
// letters. The same point written another way is no file of ours.
template <typename Number>
bool number(std::string_view text, Number& value, int base = 10) {
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return false;
    if ((base == 10 && text.size() > 1 && text.front() == '0') ||
        (base == 16 && text.find_first_of("ABCDEF") != std::string_view::npos))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool digest(std::string_view text, uint64_t& value) {
    return text.size() == 16 && number(text, value, 16);
}

// An offset that this build's file positions can hold (a long has 32 bits in WebAssembly).
bool offset(std::string_view text, long& value) {
    long long parsed = 0;
    if (!number(text, parsed) || parsed >= offsetLimit || parsed > std::numeric_limits<long>::max())
        return false;
    value = long(parsed);
    return true;
}
} // namespace

std::string formatResumePoint(const ResumePoint& point) {
    char text[160];
    const auto milliseconds = static_cast<unsigned long long>(std::llround(point.music.seconds * 1000));
    std::snprintf(text, sizeof text, "%s\nmessages %016llx %ld\nmusic %016llx %ld %llu\n",
                  header.data(), static_cast<unsigned long long>(point.scriptDigest),
                  point.nextMessage, static_cast<unsigned long long>(point.playlistDigest),
                  point.music.trackOffset, milliseconds);
    return text;
}

std::optional<ResumePoint> parseResumePoint(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt; // cut short: the last line has no end
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    if (lines.size() != 3 || lines[0] != header)
        return std::nullopt;
    const auto messages = fields(lines[1]);
    const auto music = fields(lines[2]);
    ResumePoint point;
    uint64_t milliseconds = 0;
    if (messages.size() != 3 || messages[0] != "messages" || !digest(messages[1], point.scriptDigest) ||
        !offset(messages[2], point.nextMessage) || music.size() != 4 || music[0] != "music" ||
        !digest(music[1], point.playlistDigest) || !offset(music[2], point.music.trackOffset) ||
        !number(music[3], milliseconds) || milliseconds > millisecondsLimit)
        return std::nullopt;
    point.music.seconds = double(milliseconds) / 1000;
    return point;
}

uint64_t fileDigest(const char* path) {
    const UniqueFile file = openDataFile(path, "rb");
    if (!file)
        return 0;
    uint64_t hash = 0xcbf29ce484222325ull;
    unsigned char block[4096];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
        for (std::size_t i = 0; i < got; ++i)
            hash = (hash ^ block[i]) * 0x100000001b3ull;
    }
    return hash;
}
