#pragma once
// Our audio library: one output device, streams played from files (looping or once), a volume
// per stream, and a notification when a stream has played to its end. It gives exactly what
// the saver's sound relies on and nothing more.
//
// - Handles are 32-bit and never 0; 0 is the failure value, and every call given 0 (or a
//   handle already freed) returns false and does nothing.
// - Without an output device (audioInit failed, or was never called) streams can still be
//   created and driven, but nothing is heard and no stream advances, so none ever ends.
// - End notifications run on the library's own thread, one at a time, never while the
//   library's lock is held, so a notification may call back into the library (free the stream
//   that ended, create and play the next one).
// - After audioStreamFree returns, the stream's notification does not start any more; when it
//   is running on another thread at that moment, audioStreamFree waits for it to finish.
//
// The output device and the decoders beyond our own WAV reader come from the platform
// (seams/audio_platform.h): waveOut and Media Foundation on Windows, the capture device of
// backends/testing in the tests.
#include <cstdint>

struct AudioPlatform;

using AudioHandle = uint32_t;
// Called with the sync handle, the stream, a datum (0 for the end) and the caller's value.
using AudioSyncProc = void(AudioHandle sync, AudioHandle channel, uint32_t data, void* user);

constexpr int32_t audioDefaultDevice = -1;
constexpr uint32_t audioStreamLoop = 4;   // flag of audioStreamCreateFile: loop without end
constexpr uint32_t audioSyncEnd = 2;      // sync type: the stream has played to its end
constexpr uint32_t audioAttribVolume = 2; // attribute: volume, 0 (silent) to 1 (full)

// The platform's device, decoders and thread hooks, for the next audioInit and every stream
// created after it. Until a platform is given there is no device and only WAV files play.
void audioUsePlatform(const AudioPlatform& platform);

// The volume a stream can take: 1.5 gives 1; -0.2 and NaN give 0; anything between passes.
float clampVolume(float value);

// Opens the output device (-1: the default one) at the given rate. flags, window and device
// identifier are accepted for the caller's sake and unused. False when no device could be
// opened; the library then stays silent, and every other call still works.
bool audioInit(int32_t device, uint32_t rate, uint32_t flags, void* window, const void* clsid);

// Frees every stream, closes the device and stops the library's threads. The saver never
// calls it (the end of the process releases the device); tests do, between cases.
void audioFree();

// A stream from a file (fromMemory must be false: only files are read). offset and length
// must be 0 (the whole file). Returns 0 when the file cannot be opened or decoded. The stream
// starts paused, at volume 1.
AudioHandle audioStreamCreateFile(bool fromMemory, const void* file, uint64_t offset,
                                  uint64_t length, uint32_t flags);

// Starts (or resumes) playback; with restart, from the beginning.
bool audioChannelPlay(AudioHandle handle, bool restart);

// Arms a notification. Only audioSyncEnd is known; param must be 0. Returns the sync's handle,
// 0 on failure. A stream that has already ended when the sync is armed is notified at once.
AudioHandle audioChannelSetSync(AudioHandle handle, uint32_t type, uint64_t param,
                                AudioSyncProc* proc, void* user);

// Stops the stream and releases it; see above for what holds about its notification.
bool audioStreamFree(AudioHandle handle);

// The play position of a stream in seconds from its start (a looping stream counts from its
// latest start); negative for a handle that is not a stream.
double audioChannelGetPosition(AudioHandle handle);

// Moves a stream to `seconds` from its start, before or while it plays; false, and nothing
// changed, for a handle that is not a stream, a position that is negative or not a number, or
// a source that cannot get there. A position past the end leaves the stream at its end.
bool audioChannelSetPosition(AudioHandle handle, double seconds);

// Sets an attribute. For audioAttribVolume, the value is clamped as clampVolume does.
bool audioChannelSetAttribute(AudioHandle handle, uint32_t attrib, float value);

// How many calls have reached the library since the process started (or the last
// audioFree). Lets tests check that a run left the library alone.
uint64_t audioCallCount();
