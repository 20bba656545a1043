// The Linux sound output where no sound server is needed: SDL missing or incomplete, no
// server to talk to, and the runtime-folder fallback for hosts that strip the environment.
// What is heard through a real server is checked by sound_test.sh.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "audio/audio_library.h"
#include "linux/sound/linux_audio.h"
#include "test_support.h"

namespace {
// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

bool sdlInstalled() {
    return loadSdlAudio() != nullptr;
}

// This machine has a sound card that ALSA could open without any server.
bool soundCardPresent() {
    return std::filesystem::exists("/dev/snd");
}
} // namespace

TEST(SdlAudioDevice, WithoutTheLibraryThereIsNoDeviceAndNothingIsPrinted) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadSdlAudio("libemberhall-no-such-library.so.0"), nullptr);
    EXPECT_EQ(openSdlAudioDevice(44100, "libemberhall-no-such-library.so.0"), nullptr);
    // A library that loads but is not SDL: refused as a whole.
    EXPECT_EQ(openSdlAudioDevice(44100, "libm.so.6"), nullptr);
    EXPECT_EQ(openSdlAudioDevice(44100, nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(SdlAudioDevice, WithoutASoundServerThereIsNoDeviceAndNothingIsPrinted) {
    if (!sdlInstalled())
        GTEST_SKIP() << "libSDL2-2.0.so.0 is not installed";
    if (soundCardPresent())
        GTEST_SKIP() << "ALSA would open this machine's sound card";
    TempDirectory runtime;
    // Every way SDL's clients look for a server, pointed at nothing.
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    ScopedEnv pulse("PULSE_SERVER", nullptr);
    ScopedEnv pipewire("PIPEWIRE_RUNTIME_DIR", nullptr);
    ScopedEnv display("DISPLAY", nullptr); // PulseAudio also announces itself on the X root window
    testing::internal::CaptureStderr();
    EXPECT_EQ(openSdlAudioDevice(44100), nullptr);
    EXPECT_EQ(openSdlAudioDevice(44100), nullptr); // and again, as cleanly
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(sdlAudioDriver(), "");
}

TEST(SdlAudioDevice, TheAudioLibraryRunsSilentlyOnTheLinuxPlatformWithoutADevice) {
    TempDirectory runtime;
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    ScopedEnv pulse("PULSE_SERVER", nullptr);
    ScopedEnv display("DISPLAY", nullptr);
    if (soundCardPresent())
        GTEST_SKIP() << "ALSA would open this machine's sound card";
    // A short WAV file of our own, 8-bit mono, which our reader plays without libsndfile.
    const std::string header = std::string("RIFF") + std::string("\x2c\0\0\0", 4) + "WAVEfmt " +
                               std::string("\x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x44\xac\0\0\x01\0"
                                           "\x08\0",
                                           20) +
                               "data" + std::string("\x08\0\0\0", 4) + std::string(8, '\x80');
    runtime.write("tone.wav", header);
    audioUsePlatform(linuxAudioPlatform());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(audioInit(audioDefaultDevice, 44100, 0, nullptr, nullptr));
    const AudioHandle stream =
        audioStreamCreateFile(false, runtime.file("tone.wav").c_str(), 0, 0, audioStreamLoop);
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(audioChannelPlay(stream, false));
    EXPECT_TRUE(audioChannelSetAttribute(stream, audioAttribVolume, 0.5f));
    EXPECT_TRUE(audioStreamFree(stream));
    // A file neither our reader nor libsndfile reads: no stream, no message.
    runtime.write("noise.mp3", std::string(100, 'x'));
    EXPECT_EQ(audioStreamCreateFile(false, runtime.file("noise.mp3").c_str(), 0, 0, 0), 0u);
    audioFree();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    audioUsePlatform(AudioPlatform{});
}

TEST(SoundEnvironment, AStrippedEnvironmentGetsTheUsersRuntimeFolder) {
    TempDirectory root;
    const std::string mine = root.file(std::to_string(getuid()));
    ASSERT_EQ(mkdir(mine.c_str(), 0700), 0);
    {
        ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
        EXPECT_TRUE(prepareSoundEnvironment(root.path().string()));
        ASSERT_NE(std::getenv("XDG_RUNTIME_DIR"), nullptr);
        EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), mine);
    }
    {
        ScopedEnv xdg("XDG_RUNTIME_DIR", ""); // empty counts as unset
        EXPECT_TRUE(prepareSoundEnvironment(root.path().string()));
        EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), mine);
    }
    {
        ScopedEnv xdg("XDG_RUNTIME_DIR", "/run/somewhere-else"); // what the session says holds
        EXPECT_FALSE(prepareSoundEnvironment(root.path().string()));
        EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), "/run/somewhere-else");
    }
}

TEST(SoundEnvironment, NoFolderOfOurOwnLeavesTheVariableUnset) {
    ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
    TempDirectory root;
    EXPECT_FALSE(prepareSoundEnvironment(root.path().string())); // no folder at all
    root.write(std::to_string(getuid()), "a file, not a folder");
    EXPECT_FALSE(prepareSoundEnvironment(root.path().string()));
    EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), nullptr);
    if (getuid() == 0) { // only root can give a folder away
        TempDirectory other;
        const std::string theirs = other.file("0");
        ASSERT_EQ(mkdir(theirs.c_str(), 0700), 0);
        ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(prepareSoundEnvironment(other.path().string()));
        EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), nullptr);
    }
}
