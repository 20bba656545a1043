// The Linux output: one SDL2 audio device, float stereo, whose callback mixes straight into
// SDL's buffer. SDL converts to whatever the sound server wants; we ask for exactly our own
// format and refuse every change, so the buffer always holds `frames` stereo floats.
#include "linux/sound/linux_audio.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "audio/audio_mixing.h"
#include "base/unique_file.h"
#include "linux/sound/mpg123_decoder.h"
#include "linux/sound/sndfile_decoder.h"

namespace {
// The open device's driver, for sdlAudioDriver; SDL names it only while the device is open.
std::atomic<const SdlAudioCalls*> openCalls{nullptr};

class SdlAudioDevice : public AudioDevice {
  public:
    SdlAudioDevice(const SdlAudioCalls& sdl, SdlAudioDeviceId id) : sdl_(sdl), id_(id) {}
    ~SdlAudioDevice() override {
        // Closing waits for a callback that is running, so nothing is mixed after this.
        sdl_.closeAudioDevice(id_);
        openCalls = nullptr;
        sdl_.quitSubSystem(sdlInitAudio);
    }
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    // SDL's audio thread: `length` bytes of interleaved float stereo to fill.
    static void pull(void*, uint8_t* stream, int length) {
        float* out = reinterpret_cast<float*>(stream);
        const std::size_t frames = std::size_t(length) / (2 * sizeof(float));
        audioMixFrames(out, frames);
        // The mix is unclipped; a sound server would pass values past full scale on as they are.
        std::for_each(out, out + 2 * frames, [](float& s) { s = std::clamp(s, -1.0f, 1.0f); });
    }

  private:
    const SdlAudioCalls& sdl_;
    SdlAudioDeviceId id_;
};

// ALSA, which SDL falls back to when there is no sound server, prints its failures to stderr
// ("ALSA lib confmisc.c: cannot find card '0'" and half a dozen more lines) on any machine
// without a sound card. The saver reports no audio failure, and under a screen-saver host
// such lines end up in the user's session log looking like a fault, so ALSA is given a handler
// that drops them. Only when SDL has brought ALSA in: nothing is loaded for it.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error,
                                  const char* format, ...);
using AlsaSetErrorHandlerFn = int(AlsaErrorHandler handler);

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void quietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!alsa)
        return;
    if (auto* setHandler =
            reinterpret_cast<AlsaSetErrorHandlerFn*>(dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(dropAlsaMessage);
    dlclose(alsa); // only the reference NOLOAD took; SDL keeps its own
}

std::unique_ptr<AudioDevice> openDefaultDevice(uint32_t rate) {
    return openSdlAudioDevice(rate);
}

// libsndfile knows these containers by their first four bytes. Anything else it would try as
// MPEG audio, printing notes about every bad header, so that goes to the quiet MP3 decoder.
bool sndfileContainer(const char* path) {
    static constexpr std::array<const char*, 12> magic = {"RIFF", "RIFX", "RF64", "BW64",
                                                          "riff", "FORM", "fLaC", "OggS",
                                                          ".snd", "caff", "Crea", "NIST"};
    const UniqueFile file = openFile(path, "rb");
    char head[4] = {};
    if (!file || std::fread(head, 1, sizeof head, file.get()) != sizeof head)
        return false;
    return std::any_of(magic.begin(), magic.end(),
                       [&](const char* m) { return std::memcmp(head, m, 4) == 0; });
}

std::unique_ptr<AudioDecoder> openLinuxDecoder(const char* path) {
    return sndfileContainer(path) ? openSndfileDecoder(path) : openMpg123Decoder(path);
}
} // namespace

std::unique_ptr<AudioDevice> openSdlAudioDevice(uint32_t rate, const char* libraryName,
                                                uint16_t frames) {
    const SdlAudioCalls* sdl = loadSdlAudio(libraryName);
    if (!sdl || rate == 0 || rate > uint32_t(INT32_MAX) || frames == 0)
        return nullptr;
    quietAlsa();
    sdl->setHint(sdlHintNoSignalHandlers, "1");
    if (sdl->initSubSystem(sdlInitAudio) != 0)
        return nullptr; // no driver could start: no server, no card
    SdlAudioSpec desired;
    desired.freq = int(rate);
    desired.format = sdlAudioF32Sys;
    desired.channels = 2;
    desired.samples = frames;
    desired.callback = &SdlAudioDevice::pull;
    SdlAudioSpec obtained;
    const SdlAudioDeviceId id = sdl->openAudioDevice(nullptr, 0, &desired, &obtained, 0);
    if (id == 0) {
        sdl->quitSubSystem(sdlInitAudio);
        return nullptr;
    }
    auto device = std::make_unique<SdlAudioDevice>(*sdl, id);
    openCalls = sdl;
    sdl->pauseAudioDevice(id, 0); // devices open paused
    return device;
}

std::string sdlAudioDriver() {
    const SdlAudioCalls* sdl = openCalls.load();
    const char* name = sdl ? sdl->currentAudioDriver() : nullptr;
    return name ? name : "";
}

AudioPlatform linuxAudioPlatform() {
    AudioPlatform platform;
    platform.openDevice = openDefaultDevice;
    platform.openDecoder = openLinuxDecoder;
    // No per-thread set-up on Linux: threadBegin and threadEnd stay empty.
    return platform;
}

bool prepareSoundEnvironment(const std::string& runtimeRoot) {
    const char* current = std::getenv("XDG_RUNTIME_DIR");
    if (current && *current)
        return false;
    const std::string candidate = runtimeRoot + "/" + std::to_string(getuid());
    struct stat info {};
    // Only a folder of our own: the sound servers refuse any other, and so should we.
    if (stat(candidate.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    return setenv("XDG_RUNTIME_DIR", candidate.c_str(), 1) == 0;
}

void prepareSoundEnvironment() {
    prepareSoundEnvironment("/run/user");
}
