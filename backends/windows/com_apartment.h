#pragma once
// Media Foundation's decoders need COM on every thread that calls them: the saver's own thread,
// the audio library's notification thread and the output's mixing thread. Each enters the
// multithreaded apartment once; a thread that is already in another apartment keeps it.
void enterComApartment();
// Leaves the apartment again if enterComApartment entered it on this thread.
void leaveComApartment();
