#include "linux/stop_signals.h"

#include <csignal>
#include <initializer_list>

namespace {
volatile std::sig_atomic_t stopping = 0;

void onStopSignal(int) { stopping = 1; }
} // namespace

void catchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a sleeping frame loop wakes at once
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() { return stopping != 0; }
