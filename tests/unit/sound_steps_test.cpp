#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/audio_library.h"
#include "audio/audio_mixing.h"
#include "audio_test_support.h"
#include "sound/audio_player.h"
#include "sound/sound_steps.h"

namespace {
constexpr int trackFrames = 2000; // a short track: 45 ms
// The next track starts with the block after the one in which a track ended.
constexpr uint64_t trackPeriod = 5 * audioCaptureBlock;
static_assert(trackFrames > 4 * audioCaptureBlock && trackFrames <= trackPeriod);

class SoundSteps : public SoundTest {
  protected:
    void options(int sound, int music) {
        setSoundEffects(sound);
        setMusicPlaylist(music);
    }
    void writeFireSound() { writeLevelTrack(dir / "fire_data" / "fire.wav", 8000, 4410); }
    void writePlaylist(const std::string& text) { writeText(dir / "fire_data" / "pls.txt", text); }
    std::string track(const std::string& name, int level = 12000) {
        writeLevelTrack(dir / name, level, trackFrames);
        return (dir / name).string();
    }
    // Runs the sound of a saver run for `frames` frames of the virtual clock.
    void run(uint64_t frames) {
        openAudio(currentSettings());
        fireStream = startFireSound(currentSettings());
        startMusic(currentSettings());
        audioCaptureAdvance(frames);
    }
    // The names of the streams heard, in order of their start, at the given volume.
    std::vector<std::string> heard(float volume) {
        std::vector<std::string> names;
        for (const AudioSegment& s : audioCaptureSegments()) {
            if (s.volume == volume)
                names.push_back(std::filesystem::path(s.name).filename().string());
        }
        return names;
    }
    uint32_t fireStream = 0;
};
} // namespace

TEST_F(SoundSteps, bothOptionsOffNeverTouchTheAudioLibrary) {
    options(0, 0);
    writeFireSound();
    writePlaylist(track("a.wav"));
    run(44100);
    stopAudio(fireStream);
    EXPECT_EQ(audioCallCount(), 0u);
    EXPECT_EQ(audioPlayer(), nullptr);
    EXPECT_FALSE(playlistCreated());
    // Only the value 1 counts as on.
    options(2, -1);
    run(44100);
    stopAudio(fireStream);
    EXPECT_EQ(audioCallCount(), 0u);
}

TEST_F(SoundSteps, onlyTheFireSoundLoopsAtHalfVolumeWithoutPlaylist) {
    options(1, 0);
    writeFireSound();
    writePlaylist(track("a.wav"));
    run(44100); // ten times the length of the sound
    EXPECT_NE(fireStream, 0u);
    EXPECT_FALSE(playlistCreated());
    const auto segments = audioCaptureSegments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].stream, fireStream);
    EXPECT_EQ(segments[0].volume, 0.5f);
    EXPECT_EQ(segments[0].end, 44100u);
    const auto samples = audioCaptureSamples();
    EXPECT_FLOAT_EQ(samples[2 * 44099], 0.5f * 8000 / 32768);
}

TEST_F(SoundSteps, onlyTheMusicPlaysAtFullVolumeWithoutFireSound) {
    options(0, 1);
    writeFireSound();
    writePlaylist(track("a.wav"));
    run(trackFrames / 2);
    EXPECT_EQ(fireStream, 0u);
    EXPECT_EQ(heard(1.0f), std::vector<std::string>{"a.wav"});
    EXPECT_EQ(audioCaptureSegments().size(), 1u);
    EXPECT_FLOAT_EQ(audioCaptureSamples()[0], 12000.0f / 32768);
}

TEST_F(SoundSteps, playsThePlaylistInOrderThenFromTheTop) {
    for (const char* separator : {" ", "\n"}) {
        options(1, 1);
        writeFireSound();
        const std::string first = track("first.wav"), second = track("second.wav"),
                          third = track("third.wav");
        writePlaylist(first + separator + second + separator + third + separator);
        run(4 * trackPeriod + trackPeriod / 2);
        EXPECT_EQ(heard(1.0f), (std::vector<std::string>{"first.wav", "second.wav", "third.wav",
                                                         "first.wav", "second.wav"}));
        EXPECT_EQ(heard(0.5f), std::vector<std::string>{"fire.wav"}); // one unbroken loop
        stopAudio(fireStream);
        resetSoundForTesting();
        audioUsePlatform(captureAudioPlatform());
    }
}

// A host without threads (a web page) runs the notifications itself: the playlist moves on only
// when it does, on its thread, where freeing the track that ended must not wait for itself.
TEST_F(SoundSteps, underHostDeliveryThePlaylistMovesOnWhenTheHostDelivers) {
    audioUseHostDelivery(true);
    options(0, 1);
    const std::string first = track("first.wav"), second = track("second.wav");
    writePlaylist(first + "\n" + second + "\n");
    openAudio(currentSettings());
    startMusic(currentSettings());
    std::vector<float> block(2 * trackPeriod);
    audioMixFrames(block.data(), trackPeriod);
    EXPECT_EQ(currentTrackName(), first);
    audioDeliverNotifications();
    EXPECT_EQ(currentTrackName(), second);
    audioCaptureAdvance(trackPeriod); // the device's wait for the notifications runs them
    EXPECT_EQ(currentTrackName(), first);
    resetSoundForTesting();
    audioUseHostDelivery(false);
}

TEST_F(SoundSteps, oneNameRepeats) {
    options(0, 1);
    writePlaylist(track("only.wav"));
    run(2 * trackPeriod + trackPeriod / 2);
    EXPECT_EQ(heard(1.0f), (std::vector<std::string>{"only.wav", "only.wav", "only.wav"}));
}

TEST_F(SoundSteps, unplayableNameStopsTheMusicButNotTheFire) {
    for (const std::string bad : {"missing.wav", "not-a-sound.wav"}) {
        options(1, 1);
        writeFireSound();
        writeText(dir / "not-a-sound.wav", "hello");
        writePlaylist(track("first.wav") + "\n" + (dir / bad).string() + "\n" + track("third.wav"));
        run(6 * trackPeriod);
        EXPECT_EQ(heard(1.0f), std::vector<std::string>{"first.wav"}) << bad;
        EXPECT_EQ(currentStream(), 0u);
        const AudioSegment fire = audioCaptureSegments().front();
        EXPECT_EQ(fire.end, audioCapturePosition()) << "the fire sound goes on";
        stopAudio(fireStream);
        resetSoundForTesting();
        audioUsePlatform(captureAudioPlatform());
    }
}

TEST_F(SoundSteps, emptyOrMissingPlaylistGivesNoMusic) {
    for (const bool present : {true, false}) {
        options(0, 1);
        if (present)
            writePlaylist(" \n ");
        else
            std::filesystem::remove(dir / "fire_data" / "pls.txt");
        run(44100);
        EXPECT_TRUE(audioCaptureSegments().empty());
        EXPECT_EQ(currentStream(), 0u);
        stopAudio(fireStream);
        resetSoundForTesting();
        audioUsePlatform(captureAudioPlatform());
    }
}

TEST_F(SoundSteps, cutsAnOverlongPlaylistWord) {
    options(0, 1);
    writePlaylist(std::string(2000, 'z') + " " + track("after.wav"));
    run(2 * trackPeriod);
    // The cut name is no file, so the music stops there; nothing was written past the buffer.
    EXPECT_EQ(currentTrackName(), std::string(1023, 'z'));
    EXPECT_TRUE(audioCaptureSegments().empty());
}

TEST_F(SoundSteps, relativeTrackNamesAreFoundFromTheCurrentDirectory) {
    options(0, 1);
    std::filesystem::create_directories(dir / "cwd");
    writeLevelTrack(dir / "cwd" / "here.wav", 1000, trackFrames);
    writePlaylist("here.wav");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir / "cwd");
    run(trackFrames / 2);
    std::filesystem::current_path(previous);
    EXPECT_EQ(heard(1.0f), std::vector<std::string>{"here.wav"});
}

TEST_F(SoundSteps, stopEndsEverySoundAtOnce) {
    options(1, 1);
    writeFireSound();
    writePlaylist(track("a.wav"));
    run(trackFrames / 2);
    stopAudio(fireStream);
    EXPECT_FALSE(playlistCreated());
    EXPECT_EQ(currentTrackName(), "");
    const uint64_t stoppedAt = audioCapturePosition();
    audioCaptureAdvance(44100);
    for (const AudioSegment& s : audioCaptureSegments())
        EXPECT_LE(s.end, stoppedAt) << s.name;
}

TEST_F(SoundSteps, goesOnFromThePlaceAnEarlierRunLeftTheMusic) {
    options(0, 1);
    const std::string first = track("first.wav"), second = track("second.wav"),
                      third = track("third.wav");
    writePlaylist(first + "\n  " + second + "\n" + third + "\n");
    EXPECT_EQ(musicPlace().trackOffset, 0);
    run(trackPeriod + 1000); // 1000 frames into the second track
    const MusicPlace place = musicPlace();
    EXPECT_EQ(place.trackOffset, long(first.size() + 3));
    EXPECT_NEAR(place.seconds, 1000.0 / 44100, 2.0 / 44100);
    stopAudio(fireStream);
    EXPECT_EQ(musicPlace().trackOffset, 0) << "no music, no place";

    resetSoundForTesting();
    audioUsePlatform(captureAudioPlatform());
    openAudio(currentSettings());
    startMusic(currentSettings(), place);
    audioCaptureAdvance(2 * trackPeriod);
    EXPECT_EQ(heard(1.0f), (std::vector<std::string>{"second.wav", "third.wav", "first.wav"}));
    const AudioSegment resumed = audioCaptureSegments().front();
    EXPECT_NEAR(double(resumed.end - resumed.start), trackFrames - 1000, 2);
    stopAudio(0);

    // A place past the end of the file (the file was cut since) is the top of the list.
    resetSoundForTesting();
    audioUsePlatform(captureAudioPlatform());
    openAudio(currentSettings());
    startMusic(currentSettings(), {100000, 0.0});
    audioCaptureAdvance(trackFrames / 2);
    EXPECT_EQ(heard(1.0f), std::vector<std::string>{"first.wav"});
}

namespace {
// A share that went offline: every "*.slow" file's open blocks until the test allows one more,
// then gives a short track at level 0.25. Counts the decoders made and freed.
struct SlowShare {
    std::mutex lock;
    std::condition_variable changed;
    int allowed = 0, waiting = 0, made = 0, freed = 0;
};
SlowShare& share() {
    static SlowShare* gate = new SlowShare; // outlives an opening still blocked at exit
    return *gate;
}

class LevelDecoder : public AudioDecoder {
  public:
    ~LevelDecoder() override {
        std::lock_guard guard(share().lock);
        ++share().freed;
        share().changed.notify_all();
    }
    int channels() const override { return 1; }
    uint32_t rate() const override { return 44100; }
    std::size_t read(float* out, std::size_t frames) override {
        const std::size_t n = std::min<std::size_t>(frames, trackFrames - done_);
        std::fill_n(out, n, 0.25f);
        done_ += n;
        return n;
    }
    bool rewind() override { return done_ = 0, true; }

  private:
    std::size_t done_ = 0;
};

std::unique_ptr<AudioDecoder> openFromSlowShare(const char* path) {
    if (!std::string_view(path).ends_with(".slow"))
        return nullptr;
    std::unique_lock guard(share().lock);
    ++share().waiting;
    share().changed.notify_all();
    share().changed.wait(guard, [] { return share().made < share().allowed; });
    ++share().made;
    return std::make_unique<LevelDecoder>();
}

template <class Done> void waitForShare(Done done) {
    std::unique_lock guard(share().lock);
    share().changed.wait(guard, done);
}

void allowOneOpen() {
    std::lock_guard guard(share().lock);
    ++share().allowed;
    share().changed.notify_all();
}
} // namespace

// Tracks on a share that does not answer. A first track holds up the start only until its
// deadline, while the fire plays, and starts itself when it opens. A later one leaves the fire
// going, and the stop returns while its open is still stuck (if the stop waited for it, this test
// would hang); when that open returns at last, its stream is freed unheard.
TEST_F(SoundSteps, aTrackThatDoesNotOpenNeverHoldsTheStartOrTheStop) {
    AudioPlatform platform = captureAudioPlatform();
    platform.openDecoder = openFromSlowShare;
    audioUsePlatform(platform);
    share().allowed = share().waiting = share().made = share().freed = 0;
    options(1, 1);
    writeFireSound();
    writePlaylist((dir / "first.slow").string() + "\n" + track("second.wav") + "\n" +
                  (dir / "third.slow").string());
    openAudio(currentSettings());
    fireStream = startFireSound(currentSettings());
    startMusic(currentSettings(), {}, std::chrono::steady_clock::now());
    audioCaptureAdvance(trackPeriod);
    EXPECT_EQ(heard(0.5f), std::vector<std::string>{"fire.wav"});
    EXPECT_TRUE(heard(1.0f).empty());
    allowOneOpen();
    while (currentStream() == 0)
        std::this_thread::yield(); // the late opening starts its stream itself
    audioCaptureAdvance(2 * trackPeriod + audioCaptureBlock); // the third waits its second
    waitForShare([] { return share().waiting == 2; });
    EXPECT_EQ(heard(1.0f), (std::vector<std::string>{"first.slow", "second.wav"}));
    EXPECT_EQ(audioCaptureSegments().front().end, audioCapturePosition()) << "the fire goes on";

    stopAudio(fireStream);
    const uint64_t stoppedAt = audioCapturePosition();
    allowOneOpen();
    waitForShare([] { return share().made == 2 && share().freed == 2; });
    audioCaptureAdvance(2 * trackPeriod);
    for (const AudioSegment& s : audioCaptureSegments())
        EXPECT_LE(s.end, stoppedAt) << s.name;
}

TEST(AudioPlayerVolume, clampsToTheUnitRange) {
    EXPECT_EQ(clampVolume(1.5f), 1.0f);
    EXPECT_EQ(clampVolume(-0.2f), 0.0f);
    EXPECT_EQ(clampVolume(NAN), 0.0f);
    EXPECT_EQ(clampVolume(-INFINITY), 0.0f);
    EXPECT_EQ(clampVolume(INFINITY), 1.0f);
    EXPECT_EQ(clampVolume(0.5f), 0.5f);
    EXPECT_EQ(clampVolume(0.0f), 0.0f);
    EXPECT_EQ(clampVolume(1.0f), 1.0f);
}
