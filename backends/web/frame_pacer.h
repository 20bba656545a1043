#pragma once
// Pacing in a browser. The page is called back once per display refresh (60 Hz, 144 Hz, or not
// at all while it is hidden), but the fire must move one step per 15 ms of the clock, as it does
// on every other home, or it would burn faster on a faster display. So each refresh asks the
// pacer how many steps are due. A page that fell far behind (a busy machine) does not race to
// catch up, just as a saver whose frame took too long simply goes on: the missed steps are
// dropped.
#include <cstdint>

class FramePacer {
  public:
    static constexpr uint32_t stepMilliseconds = 15;
    // More would stall the page on a machine that cannot keep up.
    static constexpr int mostStepsPerDraw = 4;

    // The steps due at tick `now`; the first call starts the count and gives one.
    int stepsDue(uint32_t now);
    // The next call starts the count afresh, as after a new start of the scene.
    void restart() { started_ = false; }

  private:
    bool started_ = false;
    uint32_t next_ = 0; // tick of the next step
};
