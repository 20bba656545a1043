// One frame of fire work, step plus render on 1024 x 768, for the engine and for the plain
// reference, in the same run. Before timing, both run the same frames from the same seed and
// must agree on every heat cell and every pixel.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fire/fire_engine.h"
#include "fire/fire_kernels.h"
#include "fire/random_source.h"
#include "reference_fire.h"

namespace {
constexpr int32_t frameWidth = 1024;
constexpr int32_t frameHeight = 768;
constexpr uint32_t paletteSize = 640;

void checkEngineMatchesReference() {
    FireEngine engine(frameWidth, frameHeight, paletteSize);
    ReferenceFire reference(frameWidth, frameHeight, paletteSize);
    engine.blendPalettes(0);
    std::vector<uint32_t> enginePixels(frameWidth * frameHeight, 0);
    std::vector<uint32_t> referencePixels(frameWidth * frameHeight, 0);
    for (int frame = 0; frame < 1000; ++frame) {
        randomSource().seed(uint32_t(frame) * 7919u + 1u);
        engine.step();
        engine.render(enginePixels.data());
        randomSource().seed(uint32_t(frame) * 7919u + 1u);
        reference.step();
        reference.render(engine.currentPalette().data(), referencePixels.data());
    }
    const auto heat = engine.heat();
    if (!std::equal(heat.begin(), heat.end(), reference.heat.begin()) || enginePixels != referencePixels) {
        std::fprintf(stderr, "engine and reference differ after the same frames\n");
        std::exit(1);
    }
    std::printf("engine (%s kernels) and reference agree on heat and pixels after 1000 frames\n",
                fireKernelName());
}

void engineFrame(benchmark::State& state) {
    FireEngine engine(frameWidth, frameHeight, paletteSize);
    engine.blendPalettes(0);
    std::vector<uint32_t> pixels(frameWidth * frameHeight, 0);
    randomSource().seed(1);
    for (int i = 0; i < 768; ++i)
        engine.step();
    for (auto _ : state) {
        engine.step();
        engine.render(pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetLabel(fireKernelName());
}

// The standard palette and the reference fire after the warm-up from seed 1.
struct WarmReference {
    FireEngine palettes{frameWidth, frameHeight, paletteSize};
    ReferenceFire fire{frameWidth, frameHeight, paletteSize};
    std::vector<uint32_t> pixels = std::vector<uint32_t>(frameWidth * frameHeight, 0);
    WarmReference() {
        palettes.blendPalettes(0);
        randomSource().seed(1);
        for (int i = 0; i < 768; ++i)
            fire.step();
    }
};

// The pass without AVX2, as processors without it and WebAssembly in a browser run it, on the
// same warm fire, seeded as the engine seeds it.
void blocksFrame(benchmark::State& state) {
    WarmReference warm;
    const int64_t fireCells = int64_t(frameWidth) * (frameHeight - 2);
    for (auto _ : state) {
        warm.fire.seed();
        diffuseHeatBlocks(warm.fire.heat.data(), frameWidth, fireCells - 2);
        renderHeatPlain(warm.fire.heat.data(), fireCells, warm.palettes.currentPalette().data(),
                        paletteSize, warm.pixels.data() + 2 * frameWidth);
        benchmark::DoNotOptimize(warm.pixels.data());
    }
}

void referenceFrame(benchmark::State& state) {
    WarmReference warm;
    for (auto _ : state) {
        warm.fire.step();
        warm.fire.render(warm.palettes.currentPalette().data(), warm.pixels.data());
        benchmark::DoNotOptimize(warm.pixels.data());
    }
}

void blendFrame(benchmark::State& state) {
    FireEngine engine(frameWidth, frameHeight, paletteSize);
    int32_t factor = 0;
    for (auto _ : state) {
        engine.blendPalettes(factor);
        factor = (factor + 1) & 0xFF;
        benchmark::DoNotOptimize(engine.currentPalette().data());
    }
}
} // namespace

BENCHMARK(engineFrame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(blocksFrame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(referenceFrame)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(blendFrame)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    checkEngineMatchesReference();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
