#pragma once
// How a screen-saver host ends a hack: SIGTERM (the XScreenSaver daemon, MATE's screen saver),
// SIGINT (Ctrl-C in a terminal) or SIGHUP (the terminal went away). Each only asks the frame
// loop to stop, so the sound is stopped and the window let go before the program ends; a loop
// that has not ended the program a second later is cut short (exit code 0 all the same).
// SIGPIPE is ignored: MATE closes a hack's stderr before it sends SIGTERM.
void catchStopSignals();
bool stopRequested();
// A descriptor that becomes readable once a stop signal has come, for a loop that waits in
// poll(): a signal that arrives just before the wait still wakes it.
int stopSignalDescriptor();
