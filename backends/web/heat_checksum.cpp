#include "web/heat_checksum.h"

#include <cstdio>

#include "fire/fire_engine.h"
#include "fire/random_source.h"
#include "scene/fire_scene.h"

uint64_t heatChecksum(uint32_t seed, int steps) {
    randomSource().seed(seed);
    FireEngine engine(FireScene::width, FireScene::height, FireScene::paletteSize);
    for (int i = 0; i < steps; ++i)
        engine.step();
    uint64_t hash = 0xcbf29ce484222325u;
    for (const int32_t cell : engine.heat()) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (uint32_t(cell) >> shift) & 0xFFu;
            hash *= 0x100000001b3u;
        }
    }
    return hash;
}

std::string heatChecksumText(uint32_t seed, int steps) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(heatChecksum(seed, steps)));
    return text;
}
