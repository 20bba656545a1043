#pragma once
// Helpers shared by the unit tests.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "seams/clock.h"
#include "fire/random_source.h"

// A clock the test drives by hand.
class ManualClock : public Clock {
  public:
    uint32_t now = 0;
    uint32_t seconds = 1000;
    uint32_t tickCount() override { return now; }
    uint32_t calendarSeconds() override { return seconds; }
};

// How many draws took the process-wide RandomSource from `seed` to its current state.
inline int drawsSince(uint32_t seed, int limit = 1000000) {
    RandomSource replay;
    replay.seed(seed);
    for (int n = 0; n <= limit; ++n) {
        if (replay.currentState() == randomSource().currentState())
            return n;
        replay.nextValue();
    }
    return -1;
}

// A fresh directory under the system's temp directory, removed with the object.
class TempDirectory {
  public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    void write(const std::string& name, const std::string& text) const;
    std::vector<uint8_t> read(const std::string& name) const;

  private:
    std::filesystem::path path_;
};
