// Makes the default fire sound, data/fire_data/fire.wav: ten seconds of a crackling fire,
// 44100 Hz, 16-bit stereo, the same bytes on every run.
//
// A fire is heard as a soft roar (the rushing of hot air: low-passed noise, slowly swelling)
// with crackles on top (tiny bursts of bright noise a few milliseconds long, often in clusters)
// and now and then a pop (a damped low tone, a pocket of sap bursting). The sound loops in the
// saver, so the end must run into the start without a seam: crackles and pops are laid on a
// circle (one that starts near the end wraps round to the start), the slow swell repeats with
// the length, and the roar's last half second is cross-faded into its first.
//
// Usage: make_fire_sound OUTPUT.wav
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr uint32_t rate = 44100;
constexpr std::size_t frames = 10 * rate;
constexpr std::size_t fadeFrames = rate / 2;
constexpr uint32_t seed = 0x5EEDF12E;

constexpr double roarLevel = 0.10;
constexpr double rumbleLevel = 0.08;
constexpr int crackles = 260;
constexpr double clusterChance = 0.45; // a crackle that follows another closely
constexpr int pops = 18;
constexpr std::size_t seamGuard = rate / 50; // 20 ms either side of the join
constexpr double highestPeak = 0.85;         // well below full scale

constexpr double pi = 3.14159265358979323846;

// A small generator of our own, so the file never depends on the standard library's.
class Random {
  public:
    explicit Random(uint32_t s) : state_(s) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double uniform() { return next() / 4294967296.0; } // [0, 1)
    double between(double low, double high) { return low + (high - low) * uniform(); }
    double noise() { return 2.0 * uniform() - 1.0; }

  private:
    uint32_t state_;
};

struct Stereo {
    std::vector<double> left = std::vector<double>(frames);
    std::vector<double> right = std::vector<double>(frames);
};

// One-pole low-pass with its corner at `hertz`.
class LowPass {
  public:
    explicit LowPass(double hertz) : a_(1.0 - std::exp(-2.0 * pi * hertz / rate)) {}
    double operator()(double x) { return y_ += a_ * (x - y_); }

  private:
    double a_;
    double y_ = 0;
};

// The slow swell of the roar: a few sines whose periods divide the length, so it loops.
double swell(std::size_t i) {
    const double t = double(i) / frames;
    return 1.0 + 0.25 * std::sin(2 * pi * 3 * t + 0.7) + 0.15 * std::sin(2 * pi * 7 * t + 2.1) +
           0.08 * std::sin(2 * pi * 19 * t + 4.0);
}

// Rushing air: noise through two low-passes (a roar near 500 Hz and a rumble near 90 Hz),
// partly shared between the sides so it sounds wide but whole.
void addRoar(Stereo& out, Random& random) {
    std::vector<double> roar[2] = {std::vector<double>(frames + fadeFrames),
                                   std::vector<double>(frames + fadeFrames)};
    LowPass roarShared[2] = {LowPass(500), LowPass(500)},
            roarOwn[2][2] = {{LowPass(500), LowPass(500)}, {LowPass(500), LowPass(500)}};
    LowPass rumble[2] = {LowPass(90), LowPass(90)};
    LowPass dcBlock(12); // keeps the rumble from wandering off zero
    for (std::size_t i = 0; i < frames + fadeFrames; ++i) {
        const double shared = roarShared[1](roarShared[0](random.noise()));
        const double low = rumble[1](rumble[0](random.noise()));
        const double lowCentred = low - dcBlock(low);
        for (int side = 0; side < 2; ++side) {
            const double own = roarOwn[side][1](roarOwn[side][0](random.noise()));
            roar[side][i] =
                roarLevel * 6 * (0.7 * shared + 0.5 * own) + rumbleLevel * 25 * lowCentred;
        }
    }
    // The noise after the end is cross-faded (equal power) into the start, so the last frame
    // flows into the first as if the noise had simply gone on.
    for (int side = 0; side < 2; ++side) {
        std::vector<double>& channel = side == 0 ? out.left : out.right;
        for (std::size_t i = 0; i < frames; ++i) {
            double value = roar[side][i];
            if (i < fadeFrames) {
                const double w = 0.5 * pi * double(i) / fadeFrames;
                value = roar[side][i] * std::sin(w) + roar[side][frames + i] * std::cos(w);
            }
            channel[i] += value * swell(i);
        }
    }
}

// Adds `shape` at `start` on the circle, panned between the sides. Nothing sharp sits right on
// the join: an event that would cover it starts just after it instead, so the join itself is
// as quiet a step as the roar around it.
void place(Stereo& out, std::size_t start, const std::vector<double>& shape, double pan) {
    start %= frames;
    if (start < seamGuard || start + shape.size() + seamGuard > frames)
        start = seamGuard;
    const double left = std::cos(0.5 * pi * pan), right = std::sin(0.5 * pi * pan);
    for (std::size_t k = 0; k < shape.size(); ++k) {
        const std::size_t at = (start + k) % frames;
        out.left[at] += left * shape[k];
        out.right[at] += right * shape[k];
    }
}

// A crackle: bright noise (differenced, so its energy sits high) under a fast decay.
std::vector<double> crackle(Random& random) {
    const double amplitude = 0.08 + 0.55 * std::pow(random.uniform(), 3);
    const double decay = random.between(0.0003, 0.0015) * rate;
    std::vector<double> shape(std::size_t(decay * 7));
    double previous = 0;
    for (std::size_t k = 0; k < shape.size(); ++k) {
        const double n = random.noise();
        shape[k] = amplitude * 0.6 * (n - previous) * std::exp(-double(k) / decay);
        previous = n;
    }
    return shape;
}

// A pop: a damped low tone with a click at its front.
std::vector<double> pop(Random& random) {
    const double amplitude = random.between(0.25, 0.5);
    const double hertz = random.between(140, 520);
    const double decay = random.between(0.006, 0.018) * rate;
    std::vector<double> shape(std::size_t(decay * 7));
    for (std::size_t k = 0; k < shape.size(); ++k) {
        const double envelope = std::exp(-double(k) / decay);
        const double click = k < 40 ? random.noise() * (1.0 - k / 40.0) * 0.6 : 0.0;
        // The attack rises over the first millisecond so the tone starts without a step.
        const double attack = std::min(1.0, double(k) / (0.001 * rate));
        shape[k] = amplitude * envelope * (attack * std::sin(2 * pi * hertz * k / rate) + click);
    }
    return shape;
}

void addCrackles(Stereo& out, Random& random) {
    std::size_t at = 0;
    for (int i = 0; i < crackles; ++i) {
        if (i == 0 || random.uniform() >= clusterChance)
            at = std::size_t(random.uniform() * frames);
        else
            at += std::size_t(random.between(0.004, 0.04) * rate);
        place(out, at, crackle(random), random.between(0.15, 0.85));
    }
    for (int i = 0; i < pops; ++i)
        place(out, std::size_t(random.uniform() * frames), pop(random), random.between(0.25, 0.75));
}

void putLe(std::FILE* file, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        std::fputc(int(value >> (8 * i) & 0xFF), file);
}

bool writeWav(const char* path, const Stereo& sound, double gain) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::fprintf(stderr, "make_fire_sound: cannot create %s\n", path);
        return false;
    }
    const uint32_t dataBytes = uint32_t(frames * 4);
    std::fputs("RIFF", file);
    putLe(file, 36 + dataBytes, 4);
    std::fputs("WAVEfmt ", file);
    putLe(file, 16, 4);
    putLe(file, 1, 2); // PCM
    putLe(file, 2, 2); // stereo
    putLe(file, rate, 4);
    putLe(file, rate * 4, 4); // bytes per second
    putLe(file, 4, 2);        // bytes per frame
    putLe(file, 16, 2);       // bits per sample
    std::fputs("data", file);
    putLe(file, dataBytes, 4);
    for (std::size_t i = 0; i < frames; ++i) {
        for (const double value : {sound.left[i], sound.right[i]}) {
            const long sample = std::lround(std::clamp(value * gain, -1.0, 1.0) * 32767.0);
            putLe(file, uint32_t(int32_t(sample)), 2);
        }
    }
    const bool ok = std::fflush(file) == 0 && !std::ferror(file);
    if (std::fclose(file) != 0 || !ok) {
        std::fprintf(stderr, "make_fire_sound: cannot write %s\n", path);
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fire_sound OUTPUT.wav\n");
        return 2;
    }
    Random random(seed);
    Stereo sound;
    addRoar(sound, random);
    addCrackles(sound, random);
    double peak = 0;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::abs(sound.left[i]), std::abs(sound.right[i])});
    const double gain = peak > highestPeak ? highestPeak / peak : 1.0;
    return writeWav(argv[1], sound, gain) ? 0 : 1;
}
