// The Windows output: waveOut, fed by a thread of its own that mixes one buffer whenever the
// device hands one back. Twelve buffers of 512 frames (about 140 ms in all) ride out a busy
// moment of the saver's frame loop without a dropout, and keep a stop quick to be heard.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/audio_mixing.h"
#include "windows/com_apartment.h"
#include "windows/windows_audio.h"

namespace {
constexpr int bufferCount = 12;
constexpr DWORD bufferFrames = 512;
constexpr DWORD refillWaitMs = 100;

class WaveOutDevice : public AudioDevice {
  public:
    static std::unique_ptr<AudioDevice> open(uint32_t rate);
    ~WaveOutDevice() override;
    WaveOutDevice(const WaveOutDevice&) = delete;
    WaveOutDevice& operator=(const WaveOutDevice&) = delete;

  private:
    WaveOutDevice() = default;
    void run();
    void fill(WAVEHDR& header);

    HWAVEOUT out_ = nullptr;
    HANDLE bufferDone_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::array<WAVEHDR, bufferCount> headers_{};
    std::array<std::vector<int16_t>, bufferCount> buffers_;
    std::vector<float> mix_ = std::vector<float>(2 * bufferFrames);
};

std::unique_ptr<AudioDevice> WaveOutDevice::open(uint32_t rate) {
    std::unique_ptr<WaveOutDevice> device(new WaveOutDevice);
    device->bufferDone_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!device->bufferDone_)
        return nullptr;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = rate * 4;
    if (waveOutOpen(&device->out_, WAVE_MAPPER, &format, DWORD_PTR(device->bufferDone_), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        device->out_ = nullptr;
        return nullptr; // no device: the library stays silent
    }
    for (int i = 0; i < bufferCount; ++i) {
        device->buffers_[i].assign(2 * bufferFrames, 0);
        WAVEHDR& header = device->headers_[i];
        header.lpData = reinterpret_cast<LPSTR>(device->buffers_[i].data());
        header.dwBufferLength = bufferFrames * 4;
        waveOutPrepareHeader(device->out_, &header, sizeof header);
    }
    device->thread_ = std::thread(&WaveOutDevice::run, device.get());
    return device;
}

WaveOutDevice::~WaveOutDevice() {
    stopping_ = true;
    if (bufferDone_)
        SetEvent(bufferDone_);
    if (thread_.joinable())
        thread_.join();
    if (out_) {
        waveOutReset(out_);
        for (WAVEHDR& header : headers_)
            waveOutUnprepareHeader(out_, &header, sizeof header);
        waveOutClose(out_);
    }
    if (bufferDone_)
        CloseHandle(bufferDone_);
}

void WaveOutDevice::fill(WAVEHDR& header) {
    audioMixFrames(mix_.data(), bufferFrames);
    int16_t* samples = reinterpret_cast<int16_t*>(header.lpData);
    for (std::size_t i = 0; i < mix_.size(); ++i)
        samples[i] = int16_t(std::lround(std::clamp(mix_[i], -1.0f, 1.0f) * 32767.0f));
    header.dwFlags &= ~WHDR_DONE;
    waveOutWrite(out_, &header, sizeof header);
}

void WaveOutDevice::run() {
    audioThreadBegin();
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    for (WAVEHDR& header : headers_)
        fill(header);
    while (!stopping_) {
        WaitForSingleObject(bufferDone_, refillWaitMs);
        for (WAVEHDR& header : headers_) {
            if (!stopping_ && (header.dwFlags & WHDR_DONE))
                fill(header);
        }
    }
    audioThreadEnd();
}
} // namespace

std::unique_ptr<AudioDevice> openWaveOutDevice(uint32_t rate) { return WaveOutDevice::open(rate); }

AudioPlatform windowsAudioPlatform() {
    AudioPlatform platform;
    platform.openDevice = openWaveOutDevice;
    platform.openDecoder = openMediaFoundationDecoder;
    platform.threadBegin = enterComApartment;
    platform.threadEnd = leaveComApartment;
    return platform;
}

void endWindowsAudio() {
    audioFree();
    shutDownMediaFoundation();
}
