#include "linux/common/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <initializer_list>

namespace {
volatile std::sig_atomic_t stopping = 0;
int wakePipe[2] = {-1, -1};

// The second line of defence: whatever holds the frame loop (a file that never answers, a
// library that hangs), a stop signal that it has not acted on within a second ends the process,
// and the screen is the user's again. The normal exit takes a few frames, well inside that.
void onStopDeadline(int) {
    _exit(0);
}

void onStopSignal(int) {
    if (!stopping)
        alarm(1);
    stopping = 1;
    if (wakePipe[1] >= 0) {
        const char byte = 1;
        (void)!write(wakePipe[1], &byte, 1); // async-signal-safe; a full pipe is awake already
    }
}
} // namespace

void catchStopSignals() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a sleeping frame loop wakes at once
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    struct sigaction deadline = {};
    deadline.sa_handler = onStopDeadline;
    sigemptyset(&deadline.sa_mask);
    sigaction(SIGALRM, &deadline, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() {
    return stopping != 0;
}

int stopSignalDescriptor() {
    return wakePipe[0];
}
