// Everything that is not a WAV file we read ourselves goes through Media Foundation's source
// reader on Windows (MP3, WMA, AAC and whatever else the system can decode), asked for 32-bit
// float samples, or 16-bit PCM where the system will not convert to float.
//
// Media Foundation is not on every Windows: the N and KN editions lack it without the Media
// Feature Pack, and on Windows Server it is an optional feature, off by default. A program that
// imports it is refused by the loader there before it runs a line, so the saver would not start
// at all. Its DLLs are therefore loaded here, when the first file that needs them is opened;
// without them such a file is one the system cannot play, and WAV files still play through our
// own reader.
#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "windows/com_apartment.h"
#include "windows/windows_audio.h"

namespace {
// Releases a COM interface when it goes out of scope.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

constexpr DWORD audioStream = DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

// The few Media Foundation functions the decoder calls, found at run time.
struct MediaFoundation {
    HRESULT(WINAPI* startup)(ULONG version, DWORD flags) = nullptr;
    HRESULT(WINAPI* shutdown)() = nullptr;
    HRESULT(WINAPI* createMediaType)(IMFMediaType** type) = nullptr;
    HRESULT(WINAPI* createSourceReaderFromURL)(LPCWSTR url, IMFAttributes* attributes,
                                                 IMFSourceReader** reader) = nullptr;
    bool ready = false;
};

// Only from the system directory: a DLL of the same name beside the saver or in the current
// directory (where a playlist may point) must not be loaded in its place.
HMODULE loadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + wcslen(name) + 1 > MAX_PATH)
        return nullptr;
    path[length] = L'\\';
    wcscpy(path + length + 1, name);
    return LoadLibraryW(path);
}

template <typename Function> bool find(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(
                            reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                      : nullptr;
    return function != nullptr;
}

MediaFoundation loadMediaFoundation() {
    MediaFoundation found;
    // Loaded for good: decoders made from them may live until the process ends.
    const HMODULE platform = loadSystemLibrary(L"mfplat.dll");
    const HMODULE readWrite = platform ? loadSystemLibrary(L"mfreadwrite.dll") : nullptr;
    found.ready = find(platform, "MFStartup", found.startup) &&
                  find(platform, "MFShutdown", found.shutdown) &&
                  find(platform, "MFCreateMediaType", found.createMediaType) &&
                  find(readWrite, "MFCreateSourceReaderFromURL", found.createSourceReaderFromURL) &&
                  SUCCEEDED(found.startup(MF_VERSION, MFSTARTUP_LITE));
    return found;
}

// Loaded and started once, by whichever thread opens the first such file, and shut down when
// the saver ends (shutDownMediaFoundation).
std::once_flag loaded;
MediaFoundation functions;

const MediaFoundation& mediaFoundation() {
    std::call_once(loaded, [] { functions = loadMediaFoundation(); });
    return functions;
}

std::wstring fullWidePath(const char* path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    // A relative name is found from the current directory, as any other file would be.
    const DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullLength == 0)
        return {};
    std::wstring full(fullLength, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), fullLength, full.data(), nullptr);
    full.resize(written);
    return full;
}

class MediaFoundationDecoder : public AudioDecoder {
  public:
    MediaFoundationDecoder(ComPtr<IMFSourceReader> reader, int channels, uint32_t rate, bool floats)
        : reader_(std::move(reader)), channels_(channels), rate_(rate), floats_(floats) {}

    int channels() const override { return channels_; }
    uint32_t rate() const override { return rate_; }

    std::size_t read(float* out, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            if (used_ == pending_.size() && !fetch())
                break;
            const std::size_t take = std::min((frames - done) * channels_, pending_.size() - used_);
            std::memcpy(out + done * channels_, pending_.data() + used_, take * sizeof(float));
            used_ += take;
            done += take / channels_;
        }
        return done;
    }

    bool rewind() override {
        PROPVARIANT start;
        PropVariantInit(&start);
        start.vt = VT_I8;
        start.hVal.QuadPart = 0;
        const HRESULT result = reader_->SetCurrentPosition(GUID_NULL, start);
        PropVariantClear(&start);
        pending_.clear();
        used_ = 0;
        ended_ = FAILED(result);
        return SUCCEEDED(result);
    }

  private:
    // Decodes the next sample into pending_; false at the end or on a failure.
    bool fetch() {
        pending_.clear();
        used_ = 0;
        while (!ended_ && pending_.empty()) {
            DWORD flags = 0;
            ComPtr<IMFSample> sample;
            if (FAILED(
                    reader_->ReadSample(audioStream, 0, nullptr, &flags, nullptr, sample.out())) ||
                (flags & (MF_SOURCE_READERF_ENDOFSTREAM | MF_SOURCE_READERF_ERROR))) {
                ended_ = true;
                break;
            }
            if (sample.get())
                append(sample.get());
        }
        // Whole frames only.
        pending_.resize(pending_.size() - pending_.size() % channels_);
        return !pending_.empty();
    }

    void append(IMFSample* sample) {
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(sample->ConvertToContiguousBuffer(buffer.out())))
            return;
        BYTE* data = nullptr;
        DWORD bytes = 0;
        if (FAILED(buffer->Lock(&data, nullptr, &bytes)))
            return;
        if (floats_) {
            const float* samples = reinterpret_cast<const float*>(data);
            pending_.assign(samples, samples + bytes / sizeof(float));
        } else {
            const int16_t* samples = reinterpret_cast<const int16_t*>(data);
            pending_.resize(bytes / sizeof(int16_t));
            for (std::size_t i = 0; i < pending_.size(); ++i)
                pending_[i] = samples[i] / 32768.0f;
        }
        buffer->Unlock();
    }

    ComPtr<IMFSourceReader> reader_;
    int channels_;
    uint32_t rate_;
    bool floats_;
    std::vector<float> pending_;
    std::size_t used_ = 0;
    bool ended_ = false;
};

// Asks the reader for samples of the given sub-type; true when it agreed.
bool askFor(IMFSourceReader* reader, const GUID& subtype) {
    ComPtr<IMFMediaType> type;
    if (FAILED(mediaFoundation().createMediaType(type.out())))
        return false;
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    type->SetGUID(MF_MT_SUBTYPE, subtype);
    if (subtype == MFAudioFormat_PCM)
        type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    return SUCCEEDED(reader->SetCurrentMediaType(audioStream, nullptr, type.get()));
}
} // namespace

std::unique_ptr<AudioDecoder> openMediaFoundationDecoder(const char* path) {
    enterComApartment();
    if (!mediaFoundation().ready)
        return nullptr;
    const std::wstring wide = fullWidePath(path);
    const DWORD attributes =
        wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    ComPtr<IMFSourceReader> reader;
    if (FAILED(mediaFoundation().createSourceReaderFromURL(wide.c_str(), nullptr, reader.out())))
        return nullptr;
    reader->SetStreamSelection(DWORD(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (FAILED(reader->SetStreamSelection(audioStream, TRUE)))
        return nullptr;
    const bool floats = askFor(reader.get(), MFAudioFormat_Float);
    if (!floats && !askFor(reader.get(), MFAudioFormat_PCM))
        return nullptr;
    ComPtr<IMFMediaType> type;
    if (FAILED(reader->GetCurrentMediaType(audioStream, type.out())))
        return nullptr;
    UINT32 channels = 0, rate = 0, bits = 0;
    type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    type->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
    if (channels == 0 || rate == 0 || bits != (floats ? 32u : 16u))
        return nullptr;
    return std::make_unique<MediaFoundationDecoder>(std::move(reader), int(channels), rate, floats);
}

void shutDownMediaFoundation() {
    // Only when it was started: a saver that never needed it does not load it now, nor later.
    std::call_once(loaded, [] {});
    if (functions.ready)
        functions.shutdown();
}
