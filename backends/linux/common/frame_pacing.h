#pragma once
// How the Linux programs wait for the next step of the fire (scene/frame_pacer.h says when it is
// due): asleep on the monotonic clock, never spinning. A stop signal wakes the sleep early.
#include <cstdint>

void sleepMilliseconds(uint32_t milliseconds);
