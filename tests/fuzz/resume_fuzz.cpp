// The resume file, both ways. A saver is restarted every few minutes and starts from this file,
// so what one run writes must bring the next run back to the same place, and a damaged file must
// never send a run somewhere it cannot go.
//
// - Written: a point made of the input's bytes, with offsets and a time such as a run reaches,
//   reads back as the same point, field by field (the time to the millisecond it is kept to).
//   Any other point at all reads back as nothing or as a point a run can use.
// - Read: the input as the file's text gives nothing or a point a run can use (offsets a file
//   position can hold, a time within a week), and that point writes back as exactly the input,
//   since the reader takes only what the writer writes. Read from a file, the same text gives
//   the same point, and a file longer than any resume file gives the top.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"
#include "linux/common/shared_scene.h"
#include "scene/resume_point.h"

namespace {
// The bounds of what a run reaches: a file position below 1 TiB, a track position within a week.
constexpr long offsetLimit = 1L << 40;
constexpr uint64_t millisecondsLimit = 1000ull * 60 * 60 * 24 * 7;
// Three short lines; the reader refuses a file longer than this unread.
constexpr std::size_t resumeFileLimit = 4096;

bool sameMusic(const MusicPlace& a, const MusicPlace& b) {
    return a.trackOffset == b.trackOffset && a.seconds == b.seconds;
}

bool samePoint(const ResumePoint& a, const ResumePoint& b) {
    return a.scriptDigest == b.scriptDigest && a.nextMessage == b.nextMessage &&
           a.playlistDigest == b.playlistDigest && sameMusic(a.music, b.music);
}

bool usableOffset(long offset) { return offset >= 0 && offset < offsetLimit; }

// What the message script, the playlist and the player are given: each offset a seek the
// file can make, the music's time a position to set (or 0, the track's start).
void checkUsable(const ResumePoint& point) {
    fuzzCheck(usableOffset(point.nextMessage), "the next message is at no place in a file");
    fuzzCheck(usableOffset(point.music.trackOffset), "the track is at no place in a file");
    fuzzCheck(std::isfinite(point.music.seconds) && point.music.seconds >= 0 &&
                  point.music.seconds <= double(millisecondsLimit) / 1000,
              "the music's time is no place in a track");
}

// A value from lowest to highest, either end itself as often as not: the limits are where a
// reader and a writer most easily disagree.
template <typename Number>
Number within(FuzzedDataProvider& bytes, Number lowest, Number highest) {
    switch (bytes.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return lowest;
    case 1:
        return highest;
    default:
        return bytes.ConsumeIntegralInRange<Number>(lowest, highest);
    }
}

double anyTime(FuzzedDataProvider& bytes) {
    switch (bytes.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return bytes.ConsumeBool() ? std::numeric_limits<double>::infinity()
                                   : -std::numeric_limits<double>::infinity();
    default:
        return bytes.ConsumeFloatingPoint<double>();
    }
}

// Written and read back.
void checkWritten(FuzzedDataProvider& bytes) {
    const bool wild = bytes.ConsumeBool();
    ResumePoint point;
    point.scriptDigest = bytes.ConsumeIntegral<uint64_t>();
    point.playlistDigest = bytes.ConsumeIntegral<uint64_t>();
    uint64_t milliseconds = 0;
    if (wild) {
        point.nextMessage = bytes.ConsumeIntegral<long>();
        point.music.trackOffset = bytes.ConsumeIntegral<long>();
        point.music.seconds = anyTime(bytes);
    } else {
        point.nextMessage = within<long>(bytes, 0, offsetLimit - 1);
        point.music.trackOffset = within<long>(bytes, 0, offsetLimit - 1);
        milliseconds = within<uint64_t>(bytes, 0, millisecondsLimit);
        // The player's position falls between milliseconds; less than half of one rounds down.
        const double fraction = bytes.ConsumeBool() ? bytes.ConsumeProbability<double>() * 0.49 : 0;
        point.music.seconds = (double(milliseconds) + fraction) / 1000;
    }
    const std::optional<ResumePoint> read = parseResumePoint(formatResumePoint(point));
    if (wild) {
        if (read)
            checkUsable(*read);
        return;
    }
    fuzzCheck(read.has_value(), "a point a run reaches was not read back");
    ResumePoint expected = point;
    expected.music.seconds = double(milliseconds) / 1000;
    fuzzCheck(read->scriptDigest == expected.scriptDigest, "the script's digest changed");
    fuzzCheck(read->nextMessage == expected.nextMessage, "the next message moved");
    fuzzCheck(read->playlistDigest == expected.playlistDigest, "the playlist's digest changed");
    fuzzCheck(read->music.trackOffset == expected.music.trackOffset, "the track moved");
    fuzzCheck(read->music.seconds == expected.music.seconds,
              "the music's time is not the written one to the millisecond");
}

// Read from text and from a file.
void checkRead(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<ResumePoint> point = parseResumePoint(text);
    if (point) {
        checkUsable(*point);
        fuzzCheck(formatResumePoint(*point) == text, "the reader took text the writer never writes");
    }

    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write("resume", data, size);
    const ResumePoint fromFile = readResumeFile(scratch.path("resume"));
    const ResumePoint expected = point && size <= resumeFileLimit ? *point : ResumePoint{};
    fuzzCheck(samePoint(fromFile, expected), "the file gave another point than its text");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    checkRead(data, size);
    FuzzedDataProvider bytes(data, size);
    checkWritten(bytes);
    return 0;
}
