#pragma once
// The two inner loops of a fire frame, kept apart from the engine so that the fastest form the
// processor allows can be chosen once, at run time, while the plain form stays the reference.
#include <cstdint>

// The averaging pass over `cells` (row stride `width`), for the linear targets 1 ... lastTarget
// in ascending order, in place: each target becomes the sum of the 3 x 3 block centred on the
// cell straight below it, without that centre, shifted right by 3. Its left neighbour is the
// only term already updated in the pass.
void diffuseHeat(int32_t* cells, int32_t width, int64_t lastTarget);
void diffuseHeatPlain(int32_t* cells, int32_t width, int64_t lastTarget);
// The fast form without vector instructions: what diffuseHeat runs where AVX2 is missing.
void diffuseHeatBlocks(int32_t* cells, int32_t width, int64_t lastTarget);

// pixels[i] = palette[min(unsigned(cells[i]), paletteSize - 1)] for i in 0 ... count-1.
void renderHeat(const int32_t* cells, int64_t count, const uint32_t* palette, uint32_t paletteSize,
                uint32_t* pixels);
void renderHeatPlain(const int32_t* cells, int64_t count, const uint32_t* palette,
                     uint32_t paletteSize, uint32_t* pixels);

// Which form diffuseHeat and renderHeat use on this processor: "avx2", "simd128" (the page's
// build for browsers with WebAssembly SIMD), or "blocks" (the pass of diffuseHeatBlocks with the
// plain render).
const char* fireKernelName();
