// The core of our audio library: the table of streams, the mixer that every device pulls from,
// and the thread that delivers end notifications. One lock guards all of it; notifications run
// outside the lock so they can call back in.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_mixing.h"
#include "audio/wav_reader.h"
#include "base/no_destructor.h"
#include "seams/audio_platform.h"

namespace {
constexpr std::size_t decodeBlockFrames = 1024;
constexpr AudioHandle firstHandle = 0x10001;

struct Sync {
    AudioHandle handle = 0;
    AudioSyncProc* proc = nullptr;
    void* user = nullptr;
};

// Turns the decoder's frames at its own rate into stereo frames at the output rate, by linear
// interpolation between the two source frames around each output instant. A looping stream
// goes from its last frame straight to its first, so the seam is as smooth as any other step.
struct Resampler {
    double step = 1.0; // source frames per output frame
    double position = 0.0;
    float previous[2] = {0, 0};
    float next[2] = {0, 0};
    bool primed = false;
    bool haveNext = false;
};

struct Stream {
    AudioHandle handle = 0;
    std::string name;
    std::unique_ptr<AudioDecoder> decoder;
    bool loop = false;
    bool playing = false;
    bool ended = false;
    float volume = 1.0f;
    Resampler resampler;
    std::vector<float> block; // decoded frames not yet used, at the source's channel count
    std::size_t blockFrames = 0;
    std::size_t blockUsed = 0;
    uint64_t framesPulled = 0; // source frames taken since the stream's latest start
    std::vector<Sync> endSyncs;
};

struct Notification {
    AudioHandle channel = 0;
    Sync sync;
};

struct Library {
    std::mutex lock;
    std::map<AudioHandle, std::unique_ptr<Stream>> streams;
    AudioHandle nextHandle = firstHandle;
    uint32_t rate = 44100;
    bool initialised = false;
    AudioPlatform platform;
    std::unique_ptr<AudioDevice> device;

    std::deque<Notification> pending;
    std::condition_variable wake;      // the notifier: something to deliver, or stop
    std::condition_variable delivered; // a notification has finished
    AudioHandle delivering = 0;        // the stream whose notification is running
    std::thread notifier;
    std::thread::id notifierId;
    bool stopping = false;

    std::atomic<uint64_t> calls{0};
};

// Never destroyed: the device and the threads live until the process ends, as the saver
// expects, and no destructor races a thread still in a callback at exit.
Library& library() {
    static NoDestructor<Library> instance;
    return *instance;
}

AudioPlatform platformOf(Library& lib) {
    std::lock_guard guard(lib.lock);
    return lib.platform;
}

// Our own WAV reader first, then whatever the platform decodes.
std::unique_ptr<AudioDecoder> openAudioFile(const char* path) {
    if (!path || !*path)
        return nullptr;
    if (auto wav = openWavDecoder(path))
        return wav;
    const AudioPlatform platform = platformOf(library());
    return platform.openDecoder ? platform.openDecoder(path) : nullptr;
}

void countCall() {
    library().calls.fetch_add(1, std::memory_order_relaxed);
}

AudioHandle newHandle(Library& lib) {
    AudioHandle handle = lib.nextHandle++;
    if (lib.nextHandle == 0)
        lib.nextHandle = firstHandle;
    return handle;
}

Stream* findStream(Library& lib, AudioHandle handle) {
    const auto found = lib.streams.find(handle);
    return found == lib.streams.end() ? nullptr : found->second.get();
}

void queueEndNotifications(Library& lib, const Stream& stream) {
    for (const Sync& sync : stream.endSyncs)
        lib.pending.push_back({stream.handle, sync});
    if (!stream.endSyncs.empty())
        lib.wake.notify_one();
}

// Runs the first queued notification outside the lock; the caller holds the lock and there is
// one to run.
void deliverNext(Library& lib, std::unique_lock<std::mutex>& guard) {
    const Notification next = lib.pending.front();
    lib.pending.pop_front();
    lib.delivering = next.channel;
    guard.unlock();
    next.sync.proc(next.sync.handle, next.channel, 0, next.sync.user);
    guard.lock();
    lib.delivering = 0;
    lib.delivered.notify_all();
}

void notifierLoop() {
    audioThreadBegin();
    Library& lib = library();
    std::unique_lock guard(lib.lock);
    while (true) {
        lib.wake.wait(guard, [&] { return lib.stopping || !lib.pending.empty(); });
        if (lib.stopping)
            break;
        deliverNext(lib, guard);
    }
    guard.unlock();
    audioThreadEnd();
}

// Chosen by a host without threads (audioUseHostDelivery): no notifier thread is started, and
// the host runs the notifications from its own loop.
std::atomic<bool> hostDelivers{false};

// --- decoding and resampling ---

// The next source frame as stereo; false at the end (after one rewind for a looping stream).
bool pullFrame(Stream& stream, float frame[2]) {
    if (stream.blockUsed == stream.blockFrames) {
        const int channels = stream.decoder->channels();
        stream.block.resize(decodeBlockFrames * channels);
        stream.blockUsed = 0;
        stream.blockFrames = stream.decoder->read(stream.block.data(), decodeBlockFrames);
        if (stream.blockFrames == 0 && stream.loop && stream.decoder->rewind()) {
            stream.framesPulled = 0;
            stream.blockFrames = stream.decoder->read(stream.block.data(), decodeBlockFrames);
        }
        if (stream.blockFrames == 0)
            return false;
    }
    const int channels = stream.decoder->channels();
    const float* source = stream.block.data() + stream.blockUsed * channels;
    frame[0] = source[0];
    frame[1] = channels > 1 ? source[1] : source[0];
    ++stream.blockUsed;
    ++stream.framesPulled;
    return true;
}

// The stream goes on from wherever its decoder now stands, `frame` frames from the start.
void restartStreamAt(Stream& stream, uint64_t frame) {
    stream.blockFrames = stream.blockUsed = 0;
    stream.framesPulled = frame;
    stream.resampler.position = 0;
    stream.resampler.primed = false;
    stream.ended = false;
}

void restartStream(Stream& stream) {
    stream.decoder->rewind();
    restartStreamAt(stream, 0);
}

// Adds up to `frames` frames of the stream into out; returns how many it had.
std::size_t mixStream(Stream& stream, float* out, std::size_t frames) {
    Resampler& r = stream.resampler;
    if (!r.primed) {
        if (!pullFrame(stream, r.previous))
            return 0;
        r.haveNext = pullFrame(stream, r.next);
        r.primed = true;
    }
    const float volume = stream.volume;
    std::size_t done = 0;
    while (done < frames) {
        const float t = float(r.position);
        for (int c = 0; c < 2; ++c) {
            const float to = r.haveNext ? r.next[c] : r.previous[c];
            out[2 * done + c] += volume * (r.previous[c] + (to - r.previous[c]) * t);
        }
        ++done;
        r.position += r.step;
        while (r.position >= 1.0) {
            r.position -= 1.0;
            if (!r.haveNext)
                return done;
            std::copy(r.next, r.next + 2, r.previous);
            r.haveNext = pullFrame(stream, r.next);
        }
    }
    return done;
}
} // namespace

// --- the library's calls ---

bool audioInit(int32_t, uint32_t rate, uint32_t, void*, const void*) {
    countCall();
    Library& lib = library();
    std::unique_lock guard(lib.lock);
    if (lib.initialised || rate == 0)
        return false;
    lib.initialised = true;
    lib.rate = rate;
    lib.stopping = false;
    if (!hostDelivers) {
        lib.notifier = std::thread(notifierLoop);
        lib.notifierId = lib.notifier.get_id();
    }
    const auto openDevice = lib.platform.openDevice;
    guard.unlock();
    // Opened outside the lock: a device starts pulling at once.
    std::unique_ptr<AudioDevice> device = openDevice ? openDevice(rate) : nullptr;
    guard.lock();
    lib.device = std::move(device);
    return lib.device != nullptr;
}

void audioFree() {
    Library& lib = library();
    std::unique_lock guard(lib.lock);
    std::unique_ptr<AudioDevice> device = std::move(lib.device);
    std::map<AudioHandle, std::unique_ptr<Stream>> streams = std::move(lib.streams);
    lib.streams.clear();
    lib.pending.clear();
    lib.stopping = true;
    lib.wake.notify_all();
    std::thread notifier = std::move(lib.notifier);
    guard.unlock();
    device.reset(); // its thread may be waiting for the lock: released first
    if (notifier.joinable())
        notifier.join();
    streams.clear();
    guard.lock();
    lib.initialised = false;
    lib.stopping = false;
    lib.delivering = 0;
    lib.notifierId = {};
    lib.calls = 0;
}

AudioHandle audioStreamCreateFile(bool fromMemory, const void* file, uint64_t offset,
                                  uint64_t length, uint32_t flags) {
    countCall();
    if (fromMemory || !file || offset != 0 || length != 0)
        return 0;
    const char* path = static_cast<const char*>(file);
    // Opening a file can take a while (Media Foundation especially): not under the lock.
    std::unique_ptr<AudioDecoder> decoder = openAudioFile(path);
    if (!decoder || decoder->channels() < 1 || decoder->rate() == 0)
        return 0;
    auto stream = std::make_unique<Stream>();
    stream->name = path;
    stream->decoder = std::move(decoder);
    stream->loop = (flags & audioStreamLoop) != 0;
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    stream->resampler.step = double(stream->decoder->rate()) / lib.rate;
    stream->handle = newHandle(lib);
    const AudioHandle handle = stream->handle;
    lib.streams.emplace(handle, std::move(stream));
    return handle;
}

bool audioChannelPlay(AudioHandle handle, bool restart) {
    countCall();
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    Stream* stream = findStream(lib, handle);
    if (!stream)
        return false;
    if (restart || stream->ended)
        restartStream(*stream);
    stream->playing = true;
    return true;
}

AudioHandle audioChannelSetSync(AudioHandle handle, uint32_t type, uint64_t param,
                                AudioSyncProc* proc, void* user) {
    countCall();
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    Stream* stream = findStream(lib, handle);
    if (!stream || type != audioSyncEnd || param != 0 || !proc)
        return 0;
    const Sync sync{newHandle(lib), proc, user};
    stream->endSyncs.push_back(sync);
    // A stream short enough to end before its sync was armed must still be followed.
    if (stream->ended) {
        lib.pending.push_back({handle, sync});
        lib.wake.notify_one();
    }
    return sync.handle;
}

bool audioStreamFree(AudioHandle handle) {
    countCall();
    Library& lib = library();
    std::unique_lock guard(lib.lock);
    const auto found = lib.streams.find(handle);
    if (found == lib.streams.end())
        return false;
    std::unique_ptr<Stream> stream = std::move(found->second);
    lib.streams.erase(found);
    std::erase_if(lib.pending, [&](const Notification& n) { return n.channel == handle; });
    // The stream's own notification may free it (that is how a playlist moves on); anyone else
    // waits until a running notification of it has finished.
    if (std::this_thread::get_id() != lib.notifierId)
        lib.delivered.wait(guard, [&] { return lib.delivering != handle; });
    guard.unlock();
    return true; // the decoder closes here, outside the lock
}

double audioChannelGetPosition(AudioHandle handle) {
    countCall();
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    const Stream* stream = findStream(lib, handle);
    if (!stream)
        return -1.0;
    // The resampler holds the frame being played and the one after it.
    const uint64_t held = stream->resampler.primed ? 1 + (stream->resampler.haveNext ? 1 : 0) : 0;
    const uint64_t played = stream->framesPulled > held ? stream->framesPulled - held : 0;
    return double(played) / stream->decoder->rate();
}

bool audioChannelSetPosition(AudioHandle handle, double seconds) {
    countCall();
    if (!(seconds >= 0.0) || seconds > 1e9) // NaN too; a billion seconds is no track
        return false;
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    Stream* stream = findStream(lib, handle);
    if (!stream)
        return false;
    const uint64_t frame = uint64_t(seconds * stream->decoder->rate());
    if (!stream->decoder->seek(frame))
        return false;
    restartStreamAt(*stream, frame);
    return true;
}

bool audioChannelSetAttribute(AudioHandle handle, uint32_t attrib, float value) {
    countCall();
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    Stream* stream = findStream(lib, handle);
    if (!stream || attrib != audioAttribVolume)
        return false;
    stream->volume = clampVolume(value);
    return true;
}

uint64_t audioCallCount() {
    return library().calls.load(std::memory_order_relaxed);
}

// --- decoders ---

bool AudioDecoder::seek(uint64_t frame) {
    if (!rewind())
        return false;
    std::vector<float> scratch(decodeBlockFrames * std::size_t(std::max(channels(), 1)));
    while (frame > 0) {
        const std::size_t want = std::size_t(std::min<uint64_t>(frame, decodeBlockFrames));
        const std::size_t got = read(scratch.data(), want);
        if (got == 0)
            break; // shorter than that: it stays at its end
        frame -= got;
    }
    return true;
}

// --- between the core and the devices ---

void audioMixFrames(float* out, std::size_t frames, AudioMixObserver* observer) {
    std::fill(out, out + 2 * frames, 0.0f);
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    for (auto& [handle, stream] : lib.streams) {
        if (!stream->playing)
            continue;
        const std::size_t played = mixStream(*stream, out, frames);
        if (observer && played > 0)
            observer->mixed(handle, stream->name.c_str(), 0, played, stream->volume);
        if (played < frames) {
            stream->playing = false;
            stream->ended = true;
            queueEndNotifications(lib, *stream);
        }
    }
}

void audioWaitForNotifications() {
    if (hostDelivers)
        return audioDeliverNotifications(); // no one else would run them
    Library& lib = library();
    std::unique_lock guard(lib.lock);
    lib.delivered.wait(
        guard, [&] { return (lib.pending.empty() || lib.stopping) && lib.delivering == 0; });
}

void audioUsePlatform(const AudioPlatform& platform) {
    Library& lib = library();
    std::lock_guard guard(lib.lock);
    lib.platform = platform;
}

float clampVolume(float value) {
    if (value > 1.0f)
        return 1.0f;
    if (!(value >= 0.0f)) // also catches NaN
        return 0.0f;
    return value;
}

void audioThreadBegin() {
    if (const auto begin = platformOf(library()).threadBegin)
        begin();
}

void audioThreadEnd() {
    if (const auto end = platformOf(library()).threadEnd)
        end();
}

// --- notifications run by the host ---

void audioUseHostDelivery(bool on) { hostDelivers = on; }

bool audioHostDelivers() { return hostDelivers; }

void audioDeliverNotifications() {
    Library& lib = library();
    std::unique_lock guard(lib.lock);
    // The delivering thread may free the stream whose notification it runs without waiting for
    // itself, as the notifier thread may.
    lib.notifierId = std::this_thread::get_id();
    while (!lib.pending.empty())
        deliverNext(lib, guard);
}
