// Stretching the 1024 x 768 picture onto a window, as the Linux saver does every frame:
// nearest neighbour into the visual's layout. Run: build/native/bench/picture_scale_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "linux/common/picture_scaler.h"

namespace {
void stretch(benchmark::State& state, int width, int height, PixelLayout layout) {
    std::vector<uint32_t> source(1024 * 768);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    std::vector<uint32_t> target(std::size_t(width) * height);
    PictureScaler scaler;
    scaler.configure(1024, 768, width, height, layout);
    for (auto _ : state) {
        scaler.scale(source.data(), target.data(), std::size_t(width));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
} // namespace

BENCHMARK_CAPTURE(stretch, same1024x768, 1024, 768, PixelLayout{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(stretch, to1920x1080, 1920, 1080, PixelLayout{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(stretch, to2560x1440, 2560, 1440, PixelLayout{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(stretch, to1920x1080Bgr, 1920, 1080,
                  PixelLayout{0x000000FF, 0x0000FF00, 0x00FF0000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
