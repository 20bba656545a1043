#include "web/web_audio.h"

#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "audio/audio_mixing.h"

namespace {
// clang-format off
EM_JS(int, pageOpenAudio, (int rate), {
    return Module.page.openAudio(rate) ? 1 : 0;
});
EM_JS(void, pageCloseAudio, (), {
    Module.page.closeAudio();
});
// clang-format on

class PageAudioDevice final : public AudioDevice {
  public:
    ~PageAudioDevice() override { pageCloseAudio(); }
};

std::unique_ptr<AudioDevice> openPageAudio(uint32_t rate) {
    if (pageOpenAudio(int(rate)) == 0)
        return nullptr; // no Web Audio in this browser: the page stays silent
    return std::make_unique<PageAudioDevice>();
}

std::vector<float> block;
} // namespace

AudioPlatform webAudioPlatform() {
    AudioPlatform platform;
    platform.openDevice = openPageAudio;
    return platform;
}

const float* webAudioPull(std::size_t frames) {
    block.resize(2 * frames);
    audioMixFrames(block.data(), frames);
    // The mix is unclipped; Web Audio would pass values past full scale on as they are.
    std::for_each(block.begin(), block.end(), [](float& s) { s = std::clamp(s, -1.0f, 1.0f); });
    audioDeliverNotifications();
    return block.data();
}
