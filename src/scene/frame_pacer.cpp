#include "scene/frame_pacer.h"

#include "seams/clock.h"

namespace {
// Whether tick `now` has reached `deadline`, right across a wrap of the counter: the two are
// never half the counter's range apart.
bool reached(uint32_t now, uint32_t deadline) {
    return ticksSince(now, deadline) < 0x80000000u;
}
} // namespace

int FramePacer::stepsDue(uint32_t now) {
    if (!started_) {
        started_ = true;
        next_ = now + stepMilliseconds;
        return 1;
    }
    int steps = 0;
    while (steps < mostStepsPerDraw && reached(now, next_)) {
        ++steps;
        next_ += stepMilliseconds;
    }
    if (reached(now, next_))
        next_ = now + stepMilliseconds;
    return steps;
}

uint32_t FramePacer::millisecondsToNextStep(uint32_t now) const {
    if (!started_ || reached(now, next_))
        return 0;
    return next_ - now;
}
