#pragma once
// What the current message does, frame by frame: it stands still for its hold time, then bursts
// for 7250 ms, then gives way to the next message of the script.
#include <cstdint>
#include <memory>

#include "text/particle_list.h"

class Clock;
class FireEngine;

enum class MessageState { Holding = 0, Bursting = 1 };

struct MessageCycle {
    static constexpr uint32_t burstMilliseconds = 7250;

    MessageState state = MessageState::Holding;
    uint32_t shownAt = 0;     // tick when the current message was put up
    uint32_t burstStart = 0;  // tick when its burst began
    uint32_t timeShownAt = 0; // the calendar second a held message's time was last looked at
    std::unique_ptr<ParticleList> current;
};

// Opens the script, lays out its first message (the one at byte `from` of the script, the top
// by default) and starts its hold.
void startMessageCycle(MessageCycle& cycle, FireEngine& engine, const char* scriptPath,
                       Clock& clock, long from = 0);

// Draws the current message over the fire in `frame`, then holds, bursts or replaces it. A held
// message that shows the time is laid out again, in place, when the time it shows changes.
void stepMessageCycle(MessageCycle& cycle, FireEngine& engine, uint32_t* frame, Clock& clock);

// Frees the current message's particles and list.
void releaseMessage(MessageCycle& cycle);
