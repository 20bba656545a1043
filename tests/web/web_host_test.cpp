// The page's parts that are plain C++: pacing, its clock, and the message editor's lines.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/frame_pacer.h"
#include "web/message_lines.h"
#include "web/page_clock.h"

namespace {
// Refreshes every `period` ms for `milliseconds`, from tick `start`; the steps of each.
std::vector<int> refreshes(FramePacer& pacer, double period, double milliseconds,
                           uint32_t start = 0) {
    std::vector<int> steps;
    for (double t = 0; t < milliseconds; t += period)
        steps.push_back(pacer.stepsDue(start + uint32_t(t)));
    return steps;
}

int total(const std::vector<int>& steps) {
    int sum = 0;
    for (const int s : steps)
        sum += s;
    return sum;
}

double fakeNow = 0;
double fakeMonotonic() {
    return fakeNow;
}
double fakeCalendar() {
    return 1.7e12;
}
} // namespace

TEST(FramePacer, stepsOncePer15MillisecondsWhateverTheRefreshRate) {
    for (const double period : {1000.0 / 30, 1000.0 / 60, 1000.0 / 144}) {
        FramePacer pacer;
        const std::vector<int> steps = refreshes(pacer, period, 3000);
        EXPECT_EQ(steps.front(), 1) << "the first refresh draws at once";
        EXPECT_NEAR(total(steps), 200, 3) << "at " << 1000 / period << " Hz";
    }
}

TEST(FramePacer, dropsWhatAStallMissedAndGoesOnAcrossTheCountersWrap) {
    FramePacer pacer;
    const uint32_t start = 0xFFFFFF00u; // the counter wraps 256 ms in
    refreshes(pacer, 16, 200, start);
    EXPECT_EQ(pacer.stepsDue(start + 1200), FramePacer::mostStepsPerDraw); // a second lost
    EXPECT_EQ(pacer.stepsDue(start + 1201), 0);
    EXPECT_EQ(total(refreshes(pacer, 15, 1500, start + 1215)), 100);
    pacer.restart();
    EXPECT_EQ(pacer.stepsDue(7), 1);
}

TEST(PageClock, standsStillWhileThePageIsHidden) {
    PageClock clock(fakeMonotonic, fakeCalendar);
    fakeNow = 1000.7;
    EXPECT_EQ(clock.tickCount(), 1000u);
    clock.pause();
    fakeNow = 61000;
    clock.pause(); // hidden twice counts once
    EXPECT_EQ(clock.tickCount(), 1000u);
    clock.resume();
    fakeNow = 61500;
    EXPECT_EQ(clock.tickCount(), 1500u);
    clock.resume(); // shown twice changes nothing
    EXPECT_EQ(clock.tickCount(), 1500u);
    EXPECT_EQ(clock.calendarSeconds(), 1700000000u);
}

TEST(MessageLines, wrapsEvenlyCentresAndPlacesAboveTheFire) {
    // 21 letters: two lines, as even as they go, the shorter centred under the longer.
    EXPECT_EQ(scriptEntry("Come in from the cold", 4.5), "Come+in+from-++the+cold 212 170 4500");
    EXPECT_EQ(scriptEntry("  Warm   hands ", 3), "Warm+hands 262 195 3000");
    // A word longer than a line is cut into even pieces; one line of 20 starts at x 12.
    EXPECT_EQ(scriptEntry("Abcdefghijklmnopqrstuvwxy", 1),
              "Abcdefghijklm-nopqrstuvwxy 187 170 1000");
    EXPECT_EQ(scriptEntry("abcdefghijklmnopqrst", 1), "abcdefghijklmnopqrst 12 195 1000");
}

TEST(MessageLines, makesBadInputHarmless) {
    // The script's own signs become blank cells; every other character is kept, one cell each.
    EXPECT_EQ(scriptEntry("a-b+c*d Caf\xc3\xa9", 2), "a+b+c+d+Caf\xc3\xa9 212 195 2000");
    EXPECT_EQ(scriptEntry(" \t ", 2), "");
    EXPECT_EQ(scriptEntry("Hi", -1), "Hi 462 195 5000");
    EXPECT_EQ(scriptEntry("Hi", NAN), "Hi 462 195 5000");
    EXPECT_EQ(scriptEntry("Hi", 1e9), "Hi 462 195 3600000");
    // Enough words to climb out of the picture stop at its top.
    EXPECT_EQ(scriptEntry(std::string(200, 'x'), 1).substr(210), "12 5 1000");
}

TEST(MessageLines, keepsHandPlacedEntriesUnlessEditedAndReadsScriptsBack) {
    const std::string script =
        "+++Come+in-from+the+cold 187 190 4500\nSweet+dreams 212 220 4000\nBroken 1 x 2\n";
    const std::string rows = pageRowsFromScript(script);
    EXPECT_EQ(rows, "Come in from the cold\t4.5\nSweet dreams\t4\n")
        << "reading stops at a broken entry";
    EXPECT_EQ(scriptFromPageRows("Sweet dreams\t4\n\t3\nCome in from the cold\t4.5", script),
              "Sweet+dreams 212 220 4000\n+++Come+in-from+the+cold 187 190 4500\n");
    EXPECT_EQ(scriptFromPageRows("Sweet dreams\t6\nHello", script),
              "Sweet+dreams 212 195 6000\nHello 387 195 5000\n");
}
