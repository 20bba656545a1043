#pragma once
// The few parts of SDL2's C interface that our sound output uses, declared here from SDL's
// documented, stable ABI (the 2.x series keeps it), so that the build needs no SDL development
// package: the library itself is loaded when the device is opened (sdl_library.h). Names follow
// SDL's own, with an Sdl prefix in place of SDL_ so they never clash with a real SDL header.
#include <bit>
#include <cstddef>
#include <cstdint>

using SdlAudioFormat = uint16_t;
using SdlAudioDeviceId = uint32_t; // 0 is SDL's failure value
using SdlAudioCallback = void (*)(void* userdata, uint8_t* stream, int length);

// SDL_AudioSpec: what is asked for, and what the device gives.
struct SdlAudioSpec {
    int freq = 0;              // frames per second
    SdlAudioFormat format = 0; // sample format, one of the values below
    uint8_t channels = 0;      // 2 for stereo
    uint8_t silence = 0;       // filled in by SDL
    uint16_t samples = 0;      // frames per callback, a power of two
    uint16_t padding = 0;
    uint32_t size = 0; // bytes per callback, filled in by SDL
    SdlAudioCallback callback = nullptr;
    void* userdata = nullptr;
};
// SDL reads the record by these offsets; a slip here would hand it garbage.
static_assert(offsetof(SdlAudioSpec, format) == 4 && offsetof(SdlAudioSpec, channels) == 6 &&
              offsetof(SdlAudioSpec, samples) == 8 && offsetof(SdlAudioSpec, size) == 12 &&
              offsetof(SdlAudioSpec, callback) == 16);
static_assert(sizeof(void*) != 8 ||
              (offsetof(SdlAudioSpec, userdata) == 24 && sizeof(SdlAudioSpec) == 32));

constexpr uint32_t sdlInitAudio = 0x00000010u; // SDL_INIT_AUDIO

// 32-bit float samples in the machine's own byte order (AUDIO_F32SYS).
constexpr SdlAudioFormat sdlAudioF32Lsb = 0x8120;
constexpr SdlAudioFormat sdlAudioF32Msb = 0x9120;
constexpr SdlAudioFormat sdlAudioF32Sys =
    std::endian::native == std::endian::little ? sdlAudioF32Lsb : sdlAudioF32Msb;

// SDL_HINT_NO_SIGNAL_HANDLERS: SDL's audio brings up its event subsystem, which would otherwise
// take SIGINT and SIGTERM for itself when nobody has claimed them yet.
constexpr const char* sdlHintNoSignalHandlers = "SDL_NO_SIGNAL_HANDLERS";

// The functions, by the names SDL exports them under.
extern "C" {
using SdlInitSubSystemFn = int(uint32_t flags); // 0 on success
using SdlQuitSubSystemFn = void(uint32_t flags);
using SdlOpenAudioDeviceFn = SdlAudioDeviceId(const char* device, int isCapture,
                                              const SdlAudioSpec* desired, SdlAudioSpec* obtained,
                                              int allowedChanges);
using SdlPauseAudioDeviceFn = void(SdlAudioDeviceId device, int pauseOn);
using SdlCloseAudioDeviceFn = void(SdlAudioDeviceId device);
using SdlSetHintFn = int(const char* name, const char* value); // SDL_bool
using SdlGetCurrentAudioDriverFn = const char*();
}
