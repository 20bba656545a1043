#pragma once
// The fire frame written the plain way, one cell at a time, straight from its definition. The
// benchmark runs it beside the engine and checks that both give the same grid and pixels.
#include <cstdint>
#include <vector>

#include "fire/random_source.h"

struct ReferenceFire {
    int32_t w, h, paletteSize;
    std::vector<int32_t> heat;

    ReferenceFire(int32_t width, int32_t height, int32_t palette)
        : w(width), h(height), paletteSize(palette), heat(size_t(width) * height, 0) {}

    void step() {
        seed();
        diffuse();
    }

    void seed() {
        const int32_t b = w * (h - 2);
        for (int32_t i = 0; i < w; ++i) {
            const int32_t choice = randomSource().nextValue() % 10;
            const int32_t column = randomSource().nextValue() % w;
            const int32_t value = randomSource().nextValue() % 640;
            if (choice <= 4)
                heat[b + column] = value;
            else if (choice == 6)
                heat[b + column] = paletteSize;
            else if (choice == 8)
                for (int k = 0; k < 4; ++k)
                    heat[b + randomSource().nextValue() % w] = 0;
        }
    }

    void diffuse() {
        for (int32_t t = 1; t <= w * (h - 2) - 2; ++t) {
            int32_t sum = heat[t - 1] + heat[t] + heat[t + 1];
            sum += heat[t + w - 1] + heat[t + w + 1];
            sum += heat[t + 2 * w - 1] + heat[t + 2 * w] + heat[t + 2 * w + 1];
            heat[t] = sum >> 3;
        }
    }

    void render(const uint32_t* palette, uint32_t* pixels) const {
        for (int32_t i = 0; i < w * (h - 2); ++i) {
            const uint32_t v = uint32_t(heat[i]);
            const uint32_t k = v < uint32_t(paletteSize) ? v : uint32_t(paletteSize) - 1;
            pixels[2 * w + i] = palette[k];
        }
    }
};
