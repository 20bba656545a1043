#include "linux/sound/sdl_library.h"

#include <dlfcn.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "base/no_destructor.h"

namespace {
template <typename Fn> bool bind(void* library, const char* name, Fn*& to) {
    to = reinterpret_cast<Fn*>(dlsym(library, name));
    return to != nullptr;
}

std::unique_ptr<SdlAudioCalls> load(const char* libraryName) {
    // RTLD_LOCAL: SDL's symbols stay out of the global namespace, where a library loaded later
    // could pick them up by accident.
    void* library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    auto calls = std::make_unique<SdlAudioCalls>();
    const bool complete = bind(library, "SDL_InitSubSystem", calls->initSubSystem) &&
                          bind(library, "SDL_QuitSubSystem", calls->quitSubSystem) &&
                          bind(library, "SDL_OpenAudioDevice", calls->openAudioDevice) &&
                          bind(library, "SDL_PauseAudioDevice", calls->pauseAudioDevice) &&
                          bind(library, "SDL_CloseAudioDevice", calls->closeAudioDevice) &&
                          bind(library, "SDL_SetHint", calls->setHint) &&
                          bind(library, "SDL_GetCurrentAudioDriver", calls->currentAudioDriver);
    if (!complete) {
        dlclose(library); // nothing of it was used
        return nullptr;
    }
    return calls;
}
} // namespace

const SdlAudioCalls* loadSdlAudio(const char* libraryName) {
    if (!libraryName)
        return nullptr;
    // Loaded libraries are never unloaded, so neither is this table.
    static NoDestructor<std::mutex> lock;
    static NoDestructor<std::map<std::string, std::unique_ptr<SdlAudioCalls>>> loaded;
    std::lock_guard guard(*lock);
    const auto found = loaded->find(libraryName);
    if (found != loaded->end())
        return found->second.get();
    // A failure is remembered too: looking again would only fail again, and slowly.
    auto& entry = (*loaded)[libraryName];
    entry = load(libraryName);
    return entry.get();
}
