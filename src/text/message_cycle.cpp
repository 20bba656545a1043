#include "text/message_cycle.h"

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "seams/clock.h"

void startMessageCycle(MessageCycle& cycle, FireEngine& engine, const char* scriptPath,
                       Clock& clock, long from) {
    engine.openScript(scriptPath);
    engine.script().resumeAt(from);
    cycle.current = engine.nextMessage(&clock);
    cycle.shownAt = clock.tickCount();
    cycle.state = MessageState::Holding;
}

void stepMessageCycle(MessageCycle& cycle, FireEngine& engine, uint32_t* frame, Clock& clock) {
    if (cycle.current)
        engine.drawParticles(*cycle.current, frame);

    if (cycle.state == MessageState::Holding) {
        // Looked at once a second: what a message shows changes no faster.
        if (engine.messageShowsTime()) {
            if (const uint32_t second = clock.calendarSeconds(); second != cycle.timeShownAt) {
                cycle.timeShownAt = second;
                if (auto relaid = engine.relayoutMessage(clock.localTime()))
                    cycle.current = std::move(relaid);
            }
        }
        // Compared unsigned, so a negative hold from the script lasts very long, not never.
        if (ticksSince(clock.tickCount(), cycle.shownAt) >= engine.getHoldTime()) {
            cycle.state = MessageState::Bursting;
            cycle.burstStart = clock.tickCount();
        }
        return;
    }

    if (ticksSince(clock.tickCount(), cycle.burstStart) < MessageCycle::burstMilliseconds) {
        if (cycle.current)
            engine.moveParticles(*cycle.current);
        return;
    }
    cycle.shownAt = clock.tickCount();
    cycle.state = MessageState::Holding;
    // Each message flies apart differently: its velocities are the first draws after the reseed.
    randomSource().seed(clock.calendarSeconds());
    releaseMessage(cycle);
    cycle.current = engine.nextMessage(&clock);
}

void releaseMessage(MessageCycle& cycle) {
    cycle.current.reset();
}
