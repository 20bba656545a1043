#pragma once
// Sound on Linux: SDL2 for the output, which picks PulseAudio, PipeWire or ALSA at run time and
// is loaded only when the device is opened; for every file our own WAV reader does not read,
// libsndfile (the WAV codings we leave out, FLAC, Ogg) and libmpg123 for MP3, which it reads
// without printing notes about bad headers. Without SDL, without a sound server or a sound card there is
// simply no device: the audio library stays silent and nothing is shown or printed.
#include <cstdint>
#include <memory>
#include <string>

#include "linux/sound/sdl_library.h"
#include "seams/audio_platform.h"

AudioPlatform linuxAudioPlatform();

// Frames SDL asks for in one callback: 1024 at 44100 Hz is 23 ms. Short enough that a stop is
// heard at once (PulseAudio and PipeWire hold about one callback, ALSA two), long enough that a
// busy moment of the frame loop leaves no gap.
constexpr uint16_t sdlDeviceFrames = 1024;

// The SDL output at `rate`, float stereo, pulling the mix in SDL's callback; null when the
// library, a sound server or a sound card is missing. The library name and the callback size
// are for tests and measurements.
std::unique_ptr<AudioDevice> openSdlAudioDevice(uint32_t rate,
                                                const char* libraryName = sdlLibraryName,
                                                uint16_t frames = sdlDeviceFrames);

// The name of the driver SDL chose for the open device ("pulseaudio", "pipewire", "alsa"), or
// the empty name when no SDL device is open.
std::string sdlAudioDriver();

// Screen-saver hosts may start the saver with a stripped environment (MATE's keeps only
// DISPLAY, HOME, PATH, DBUS_SESSION_BUS_ADDRESS and XSCREENSAVER_WINDOW). Without
// XDG_RUNTIME_DIR neither PulseAudio's nor PipeWire's client finds its server, so when it is
// unset or empty and /run/user/<uid> is a directory of ours, it is set to that. Call it at
// start, before any thread exists and before the audio device is opened.
void prepareSoundEnvironment();
// The same with another folder in place of /run/user; true when it set the variable.
bool prepareSoundEnvironment(const std::string& runtimeRoot);
