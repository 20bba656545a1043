// The resume file, both ways. A saver is restarted every few minutes and starts from this file,
// so what one run writes must bring the next run back to the same place, and a damaged file must
// never send a run somewhere it cannot go.
//
// - Written: a point made of the input's bytes, with offsets and a time such as a run reaches,
//   reads back as the same point, field by field (the time to the millisecond it is kept to).
// - Read: the input as the file's text gives nothing, or a point a run can use (offsets a file
//   position can hold, a time within a week) that writes back as exactly the input: the reader
//   takes only what the writer writes. Read from a file, the same text gives the same point.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
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

bool samePoint(const ResumePoint& a, const ResumePoint& b) {
    return a.scriptDigest == b.scriptDigest && a.nextMessage == b.nextMessage &&
           a.playlistDigest == b.playlistDigest && a.music.trackOffset == b.music.trackOffset &&
           a.music.seconds == b.music.seconds;
}

bool usable(const ResumePoint& point) {
    return point.nextMessage >= 0 && point.nextMessage < offsetLimit &&
           point.music.trackOffset >= 0 && point.music.trackOffset < offsetLimit &&
           std::isfinite(point.music.seconds) && point.music.seconds >= 0 &&
           point.music.seconds <= double(millisecondsLimit) / 1000;
}

// A value from lowest to highest, either end itself as often as not: the limits are where a
// reader and a writer most easily disagree.
template <typename Number> Number within(FuzzedDataProvider& bytes, Number lowest, Number highest) {
    const int pick = bytes.ConsumeIntegralInRange(0, 3);
    return pick == 0   ? lowest
           : pick == 1 ? highest
                       : bytes.ConsumeIntegralInRange<Number>(lowest, highest);
}

void checkWritten(FuzzedDataProvider& bytes) {
    ResumePoint point;
    point.scriptDigest = bytes.ConsumeIntegral<uint64_t>();
    point.playlistDigest = bytes.ConsumeIntegral<uint64_t>();
    point.nextMessage = within<long>(bytes, 0, offsetLimit - 1);
    point.music.trackOffset = within<long>(bytes, 0, offsetLimit - 1);
    const uint64_t milliseconds = within<uint64_t>(bytes, 0, millisecondsLimit);
    // The player's position falls between milliseconds; less than half of one rounds down.
    const double fraction = bytes.ConsumeBool() ? bytes.ConsumeProbability<double>() * 0.49 : 0;
    point.music.seconds = (double(milliseconds) + fraction) / 1000;
    const std::optional<ResumePoint> read = parseResumePoint(formatResumePoint(point));
    ResumePoint expected = point;
    expected.music.seconds = double(milliseconds) / 1000;
    fuzzCheck(read && samePoint(*read, expected),
              "a point a run reaches did not read back the same");
}

void checkRead(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<ResumePoint> point = parseResumePoint(text);
    if (point) {
        fuzzCheck(usable(*point), "the file sends the run to no place in a file or a track");
        fuzzCheck(formatResumePoint(*point) == text,
                  "the reader took text the writer never writes");
    }
    const ScratchFiles& scratch = ScratchFiles::instance();
    scratch.write("resume", data, size);
    const ResumePoint expected = point && size <= resumeFileLimit ? *point : ResumePoint{};
    fuzzCheck(samePoint(readResumeFile(scratch.path("resume")), expected),
              "the file gave another point than its text");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    checkRead(data, size);
    FuzzedDataProvider bytes(data, size);
    checkWritten(bytes);
    return 0;
}
