// The capture device: mixes on the caller's thread, one block at a time, and keeps everything
// it mixed, so tests can listen afterwards.
#include "testing/capture_audio_device.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "audio/audio_mixing.h"

namespace {
class CaptureDevice : public AudioDevice, public AudioMixObserver {
  public:
    CaptureDevice();
    ~CaptureDevice() override;
    CaptureDevice(const CaptureDevice&) = delete;
    CaptureDevice& operator=(const CaptureDevice&) = delete;

    void advance(uint64_t frames);
    void mixed(AudioHandle stream, const char* name, std::size_t offset, std::size_t frames,
               float volume) override;

    std::mutex lock; // guards the record below against a test reading while another advances
    uint64_t position = 0;
    std::vector<AudioSegment> segments;
    std::map<AudioHandle, std::size_t> lastSegment; // of each stream, to extend it
    std::vector<float> samples;
};

// The open capture device, if any; tests reach it through the functions of audio_capture.h.
std::mutex currentLock;
CaptureDevice* current = nullptr;

CaptureDevice::CaptureDevice() {
    std::lock_guard guard(currentLock);
    current = this;
}

CaptureDevice::~CaptureDevice() {
    std::lock_guard guard(currentLock);
    if (current == this)
        current = nullptr;
}

void CaptureDevice::advance(uint64_t frames) {
    std::vector<float> block(2 * audioCaptureBlock);
    while (frames > 0) {
        const std::size_t count = std::size_t(std::min<uint64_t>(frames, audioCaptureBlock));
        audioMixFrames(block.data(), count, this);
        {
            std::lock_guard guard(lock);
            samples.insert(samples.end(), block.begin(), block.begin() + 2 * count);
            position += count;
        }
        audioWaitForNotifications();
        frames -= count;
    }
}

// Called from within audioMixFrames, before the block's frames are counted in.
void CaptureDevice::mixed(AudioHandle stream, const char* name, std::size_t offset,
                          std::size_t frames, float volume) {
    std::lock_guard guard(lock);
    const uint64_t start = position + offset;
    const auto last = lastSegment.find(stream);
    if (last != lastSegment.end()) {
        AudioSegment& segment = segments[last->second];
        if (segment.end == start && segment.volume == volume) {
            segment.end = start + frames;
            return;
        }
    }
    lastSegment[stream] = segments.size();
    segments.push_back({stream, name, start, start + frames, volume});
}

template <typename Action> auto withCurrent(Action action, decltype(action(*current)) otherwise) {
    std::lock_guard guard(currentLock);
    return current ? action(*current) : otherwise;
}
} // namespace

AudioPlatform captureAudioPlatform() {
    AudioPlatform platform;
    platform.openDevice = [](uint32_t) -> std::unique_ptr<AudioDevice> {
        return std::make_unique<CaptureDevice>();
    };
    return platform;
}

void audioCaptureAdvance(uint64_t frames) {
    CaptureDevice* device;
    {
        std::lock_guard guard(currentLock);
        device = current;
    }
    // Tests advance and free the library from one thread, so the device outlives this call.
    if (device)
        device->advance(frames);
}

uint64_t audioCapturePosition() {
    return withCurrent(
        [](CaptureDevice& d) {
            std::lock_guard guard(d.lock);
            return d.position;
        },
        uint64_t(0));
}

std::vector<AudioSegment> audioCaptureSegments() {
    return withCurrent(
        [](CaptureDevice& d) {
            std::lock_guard guard(d.lock);
            return d.segments;
        },
        std::vector<AudioSegment>{});
}

std::vector<float> audioCaptureSamples() {
    return withCurrent(
        [](CaptureDevice& d) {
            std::lock_guard guard(d.lock);
            return d.samples;
        },
        std::vector<float>{});
}
