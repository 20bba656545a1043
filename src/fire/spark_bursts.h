#pragma once
// Now and then, an eight-second burst in which twelve random heat cells per frame are
// overwritten: hot sparks, or cold holes.
#include <cstdint>

class Clock;
class FireEngine;

enum class SparkState { Idle, Active };
enum class SparkKind { Hot = 0, Cold = 1 };

struct SparkBursts {
    static constexpr uint32_t burstMilliseconds = 8000;

    SparkState sparkState = SparkState::Idle;
    SparkKind sparkKind = SparkKind::Hot;
    uint32_t sparkStart = 0;

    // One frame of the bursts; called only while the sparks option is on.
    void applySparks(FireEngine& engine, Clock& clock);
};
