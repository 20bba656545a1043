#pragma once
// SDL2, loaded at run time. The saver starts and draws on a machine without SDL; only its
// sound needs the library, so it is looked for when the audio device is opened, and once found
// it stays loaded to the end of the process (its threads and the sound server's client library
// do not take kindly to being unloaded).
#include "linux/sound/sdl_audio_abi.h"

constexpr const char* sdlLibraryName = "libSDL2-2.0.so.0";

struct SdlAudioCalls {
    SdlInitSubSystemFn* initSubSystem = nullptr;
    SdlQuitSubSystemFn* quitSubSystem = nullptr;
    SdlOpenAudioDeviceFn* openAudioDevice = nullptr;
    SdlPauseAudioDeviceFn* pauseAudioDevice = nullptr;
    SdlCloseAudioDeviceFn* closeAudioDevice = nullptr;
    SdlSetHintFn* setHint = nullptr;
    SdlGetCurrentAudioDriverFn* currentAudioDriver = nullptr;
};

// The library of that name with every function above, or null when it cannot be loaded or
// lacks one of them. Loaded once per name; later calls give the same table.
const SdlAudioCalls* loadSdlAudio(const char* libraryName = sdlLibraryName);
