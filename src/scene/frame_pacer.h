#pragma once
// The pace of the fire, the same on every home: one step of the scene every 15 ms of the clock,
// whatever the display's refresh rate, so the fire burns at one speed everywhere.
//
// The Windows saver spins until 15 ms have passed since its frame began and then draws the next
// step; a frame that took longer does not wait, and nothing is caught up. The programs that
// sleep between frames or are called back by the display (X11, Wayland, the page) ask a pacer
// each time they wake how many steps fell due since the last time, draw them, and show the last
// picture once: a wake-up that came a little late, or a 60 Hz refresh that spans more than one
// step, keeps the fire's speed. A longer stall (a hidden page, outputs switched off, a machine
// that cannot keep up) is not raced through: at most four steps are drawn at once, the steps
// beyond them are dropped, and the count starts again from now.
#include <cstdint>

constexpr uint32_t stepMilliseconds = 15;

class FramePacer {
  public:
    // More would stall a machine that cannot keep up.
    static constexpr int mostStepsPerDraw = 4;

    // The steps due at tick `now`; the first call starts the count and gives one.
    int stepsDue(uint32_t now);
    // Milliseconds from tick `now` until the next step falls due; 0 when one is due already.
    uint32_t millisecondsToNextStep(uint32_t now) const;
    // The next call starts the count afresh, as after a new start of the scene.
    void restart() { started_ = false; }

  private:
    bool started_ = false;
    uint32_t next_ = 0; // tick of the next step
};
