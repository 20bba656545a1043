#pragma once
// The one pseudo-random sequence of the process. The fire's seeding, the spark bursts and the
// glyph particles all draw from it, so the number and order of draws each of them takes is part
// of what they do: tests replay the sequence from a known seed.
#include <cstdint>

class RandomSource {
  public:
    // A linear congruential generator with a 32-bit state; values 0 ... 32767.
    void seed(uint32_t value) { state = value; }
    int32_t nextValue() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    }
    uint32_t currentState() const { return state; }

  private:
    uint32_t state = 1;
};

// The process-wide instance.
RandomSource& randomSource();

// A draw reduced modulo n (n > 0).
inline int32_t drawMod(int32_t n) { return randomSource().nextValue() % n; }
