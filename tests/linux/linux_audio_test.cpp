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
#include "linux/linux_audio.h"
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

bool sdlInstalled() { return loadSdlAudio() != nullptr; }

// This machine has a sound card that ALSA could open without any server.
bool soundCardPresent() { return std::filesystem::exists("/dev/snd"); }
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
