#include "linux/sound/sdl_library.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "base/no_destructor.h"
#include "linux/common/loaded_library.h"

namespace {
std::unique_ptr<SdlAudioCalls> load(const char* libraryName) {
    // RTLD_LOCAL: SDL's symbols stay out of the global namespace, where a library loaded later
    // could pick them up by accident.
    void* library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    auto calls = std::make_unique<SdlAudioCalls>();
    const bool complete = bindSymbol(library, "SDL_InitSubSystem", calls->initSubSystem) &&
                          bindSymbol(library, "SDL_QuitSubSystem", calls->quitSubSystem) &&
                          bindSymbol(library, "SDL_OpenAudioDevice", calls->openAudioDevice) &&
                          bindSymbol(library, "SDL_PauseAudioDevice", calls->pauseAudioDevice) &&
                          bindSymbol(library, "SDL_CloseAudioDevice", calls->closeAudioDevice) &&
                          bindSymbol(library, "SDL_SetHint", calls->setHint) &&
                          bindSymbol(library, "SDL_GetCurrentAudioDriver", calls->currentAudioDriver);
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
