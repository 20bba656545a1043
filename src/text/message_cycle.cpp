#include "text/message_cycle.h"

#include "seams/clock.h"
#include "fire/fire_engine.h"
#include "fire/random_source.h"

void startMessageCycle(MessageCycle& cycle, FireEngine& engine, const char* scriptPath, Clock& clock,
                       long from) {
    engine.openScript(scriptPath);
    engine.script().resumeAt(from);
    cycle.current = engine.nextMessage();
    cycle.shownAt = clock.tickCount();
    cycle.state = MessageState::Holding;
}

void stepMessageCycle(MessageCycle& cycle, FireEngine& engine, uint32_t* frame, Clock& clock) {
    if (cycle.current)
        engine.drawParticles(*cycle.current, frame);

    if (cycle.state == MessageState::Holding) {
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
    cycle.current = engine.nextMessage();
}

void releaseMessage(MessageCycle& cycle) { cycle.current.reset(); }
