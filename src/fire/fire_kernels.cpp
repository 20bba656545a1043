#include "fire/fire_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define EMBERHALL_X86 1
#elif defined(__wasm_simd128__)
// The page's build for browsers with WebAssembly SIMD; the build for those without has no
// vector instruction at all, as a module with a single one would not load there.
#include <wasm_simd128.h>
#define EMBERHALL_WASM_SIMD 1
#endif

// The pass is in place and each target takes its freshly updated left neighbour, so it looks
// serial. The chain can be broken exactly: with S the sum of a target's seven other terms and p
// its left neighbour, n = floor((S + p) / 8), and for integers
//     floor((floor(a / 8) + b) / 8) = floor((a + 8b) / 64),
// so the fourth of four neighbouring targets is floor((S0 + 8 S1 + 64 S2 + 512 S3 + p) / 4096).
// Only that one step stays in the chain; the other three follow from p in parallel. Heat stays
// in 0 ... 640, so the weighted sums stay far inside 32 bits.

void diffuseHeatPlain(int32_t* cells, int32_t width, int64_t lastTarget) {
    const int64_t w = width;
    for (int64_t t = 1; t <= lastTarget; ++t) {
        cells[t] = (cells[t - 1] + cells[t] + cells[t + 1] + cells[t + w - 1] + cells[t + w + 1] +
                    cells[t + 2 * w - 1] + cells[t + 2 * w] + cells[t + 2 * w + 1]) >>
                   3;
    }
}

namespace {
constexpr int blockLength = 256; // targets per block; a multiple of 8

// Whether every term of the block's targets is 0: the terms lie in three spans, the block's own
// row and the two below, each one cell wider at a side (the left neighbour apart).
bool coldBlock(const int32_t* block, int64_t w) {
    int32_t heat = block[w + blockLength] | block[2 * w + blockLength];
    for (int j = 0; j <= blockLength; ++j)
        heat |= block[j] | block[w - 1 + j] | block[2 * w - 1 + j];
    return heat == 0;
}
} // namespace

// The vector form's two savings in plain C++, for processors without AVX2 and for WebAssembly:
// cold blocks are skipped, and the chain is broken into groups of four, whose weighted sums the
// compiler is free to compute side by side.
void diffuseHeatBlocks(int32_t* cells, int32_t width, int64_t lastTarget) {
    const int64_t w = width;
    int32_t weighted[blockLength];
    int64_t t = 1;
    int32_t left = cells[0];
    for (; t + blockLength - 1 <= lastTarget; t += blockLength) {
        int32_t* block = cells + t;
        // A cold block with a cold left neighbour stays 0, and so does the neighbour it leaves.
        if (left == 0 && coldBlock(block, w))
            continue;
        for (int j = 0; j < blockLength; j += 4) {
            int32_t prefix = 0; // S0 + 8 S1 + 64 S2 + 512 S3, up to each target of the group
            for (int k = 0; k < 4; ++k) {
                const int32_t* c = block + j + k;
                prefix +=
                    (c[0] + c[1] + c[w - 1] + c[w + 1] + c[2 * w - 1] + c[2 * w] + c[2 * w + 1])
                    << (3 * k);
                weighted[j + k] = prefix;
            }
        }
        for (int j = 0; j < blockLength; j += 4) {
            const int32_t p = left;
            block[j] = (weighted[j] + p) >> 3;
            block[j + 1] = (weighted[j + 1] + p) >> 6;
            block[j + 2] = (weighted[j + 2] + p) >> 9;
            left = (weighted[j + 3] + p) >> 12;
            block[j + 3] = left;
        }
    }
    // The rest one by one, from the last target written.
    diffuseHeatPlain(cells + (t - 1), width, lastTarget - (t - 1));
}

void renderHeatPlain(const int32_t* cells, int64_t count, const uint32_t* palette,
                     uint32_t paletteSize, uint32_t* pixels) {
    const uint32_t top = paletteSize - 1;
    for (int64_t i = 0; i < count; ++i) {
        const uint32_t v = uint32_t(cells[i]);
        pixels[i] = palette[v < paletteSize ? v : top];
    }
}

#ifdef EMBERHALL_X86
namespace {

__attribute__((target("avx2"))) void diffuseHeatAvx2(int32_t* cells, int32_t width,
                                                     int64_t lastTarget) {
    const int64_t w = width;
    alignas(32) int32_t weighted[blockLength];
    alignas(32) int32_t carry[blockLength / 4 + 2];
    const __m256i weightShift = _mm256_setr_epi32(0, 3, 6, 9, 0, 3, 6, 9);
    const __m256i resultShift = _mm256_setr_epi32(3, 6, 9, 12, 3, 6, 9, 12);
    const __m256i carryLanes = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);

    int64_t t = 1;
    int32_t left = cells[0];
    for (; t + blockLength - 1 <= lastTarget; t += blockLength) {
        const int32_t* block = cells + t;
#define at(offset) _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + (offset)))
        // The upper part of the fire is cold: where every term of a block and the left
        // neighbour are 0, every target stays 0 and the block is left as it is. The terms of the
        // block lie in three spans, its own row and the two below, each one cell wider at a side.
        if (left == 0) {
            __m256i anyHeat =
                _mm256_or_si256(_mm256_or_si256(at(blockLength - 7), at(w + blockLength - 7)),
                                at(2 * w + blockLength - 7));
            for (int j = 0; j < blockLength; j += 8)
                anyHeat =
                    _mm256_or_si256(anyHeat, _mm256_or_si256(_mm256_or_si256(at(j), at(w - 1 + j)),
                                                             at(2 * w - 1 + j)));
            if (_mm256_testz_si256(anyHeat, anyHeat))
                continue;
        }
        // Every term but the left neighbour is a value from before the pass; all of them lie at
        // or after t, which this block has not written yet.
        for (int j = 0; j < blockLength; j += 8) {
            __m256i s = _mm256_add_epi32(_mm256_add_epi32(at(j), at(j + 1)),
                                         _mm256_add_epi32(at(j + w - 1), at(j + w + 1)));
            s = _mm256_add_epi32(
                s, _mm256_add_epi32(_mm256_add_epi32(at(j + 2 * w - 1), at(j + 2 * w)),
                                    at(j + 2 * w + 1)));
            // Prefix sums of S0, 8 S1, 64 S2, 512 S3 within each group of four.
            s = _mm256_sllv_epi32(s, weightShift);
            s = _mm256_add_epi32(s, _mm256_slli_si256(s, 4));
            s = _mm256_add_epi32(s, _mm256_slli_si256(s, 8));
            _mm256_store_si256(reinterpret_cast<__m256i*>(weighted + j), s);
            // The chain itself: one add and one shift per group of four.
            carry[j / 4] = left;
            left = (_mm_extract_epi32(_mm256_castsi256_si128(s), 3) + left) >> 12;
            carry[j / 4 + 1] = left;
            left = (_mm_extract_epi32(_mm256_extracti128_si256(s, 1), 3) + left) >> 12;
        }
#undef at
        for (int j = 0; j < blockLength; j += 8) {
            const __m256i pair = _mm256_castsi128_si256(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(carry + j / 4)));
            const __m256i lefts = _mm256_permutevar8x32_epi32(pair, carryLanes);
            const __m256i sums = _mm256_add_epi32(
                _mm256_load_si256(reinterpret_cast<const __m256i*>(weighted + j)), lefts);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(cells + t + j),
                                _mm256_srav_epi32(sums, resultShift));
        }
    }
    for (; t <= lastTarget; ++t) {
        left = (left + cells[t] + cells[t + 1] + cells[t + w - 1] + cells[t + w + 1] +
                cells[t + 2 * w - 1] + cells[t + 2 * w] + cells[t + 2 * w + 1]) >>
               3;
        cells[t] = left;
    }
}

__attribute__((target("avx2"))) void renderHeatAvx2(const int32_t* cells, int64_t count,
                                                    const uint32_t* palette, uint32_t paletteSize,
                                                    uint32_t* pixels) {
    const __m256i top = _mm256_set1_epi32(int32_t(paletteSize - 1));
    const __m256i cold = _mm256_set1_epi32(int32_t(palette[0]));
    // The picture is written once and next read by the presenting code, so it bypasses the
    // cache: that spares reading the old frame in before overwriting it.
    int64_t i = 0;
    while (i < count && (reinterpret_cast<uintptr_t>(pixels + i) & 31) != 0) {
        renderHeatPlain(cells + i, 1, palette, paletteSize, pixels + i);
        ++i;
    }
    for (; i + 8 <= count; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cells + i));
        // Most of the picture is cold fire: eight zeros need no gather.
        const __m256i colour = _mm256_testz_si256(v, v)
                                   ? cold
                                   : _mm256_i32gather_epi32(reinterpret_cast<const int*>(palette),
                                                            _mm256_min_epu32(v, top), 4);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(pixels + i), colour);
    }
    _mm_sfence();
    renderHeatPlain(cells + i, count - i, palette, paletteSize, pixels + i);
}

bool haveAvx2() {
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
}

} // namespace
#endif

#ifdef EMBERHALL_WASM_SIMD
namespace {

// The AVX2 form's savings with WebAssembly's four lanes: one group of four targets a vector.
// WebAssembly shifts all lanes by one amount, so each group's four sums are kept spread out as
//     Z_k = 512 S_k + 64 S_k-1 + 8 S_k-2 + S_k-3 = 8^(3-k) (S_0 + 8 S_1 + ... + 8^k S_k),
// which the same shift by 12 turns into the four targets: floor((Z_k + 8^(3-k) p) / 4096).
// Heat stays in 0 ... 640, so Z stays below 2^22.
void diffuseHeatSimd128(int32_t* cells, int32_t width, int64_t lastTarget) {
    const int64_t w = width;
    const v128_t leftWeights = wasm_i32x4_make(512, 64, 8, 1);
    const v128_t zero = wasm_i32x4_splat(0);

    int64_t t = 1;
    int32_t left = cells[0];
    for (; t + blockLength - 1 <= lastTarget; t += blockLength) {
        int32_t* block = cells + t;
#define at(offset) wasm_v128_load(block + (offset))
        // A cold block with a cold left neighbour stays 0: its terms lie in three spans, its own
        // row and the two below, each one cell wider at a side.
        if (left == 0) {
            v128_t anyHeat =
                wasm_v128_or(wasm_v128_or(at(blockLength - 3), at(w + blockLength - 3)),
                             at(2 * w + blockLength - 3));
            for (int j = 0; j < blockLength; j += 4)
                anyHeat = wasm_v128_or(
                    anyHeat, wasm_v128_or(wasm_v128_or(at(j), at(w - 1 + j)), at(2 * w - 1 + j)));
            if (!wasm_v128_any_true(anyHeat))
                continue;
        }
        // Each group's Z, from the sums S moved up by one, two and three lanes. Every term but
        // the left neighbour is at or after the group's first target, which nothing has written
        // yet; then the chain: one add and one shift per group (Z_3 is the group's whole
        // weighted sum), and the group's targets follow from the neighbour it had.
        for (int j = 0; j < blockLength; j += 4) {
            v128_t s = wasm_i32x4_add(wasm_i32x4_add(at(j), at(j + 1)),
                                      wasm_i32x4_add(at(j + w - 1), at(j + w + 1)));
            s = wasm_i32x4_add(s, wasm_i32x4_add(wasm_i32x4_add(at(j + 2 * w - 1), at(j + 2 * w)),
                                                 at(j + 2 * w + 1)));
            const v128_t up1 = wasm_i32x4_shuffle(zero, s, 3, 4, 5, 6);
            const v128_t up2 = wasm_i32x4_shuffle(zero, s, 2, 3, 4, 5);
            const v128_t up3 = wasm_i32x4_shuffle(zero, s, 1, 2, 3, 4);
            const v128_t z =
                wasm_i32x4_add(wasm_i32x4_add(wasm_i32x4_shl(s, 9), wasm_i32x4_shl(up1, 6)),
                               wasm_i32x4_add(wasm_i32x4_shl(up2, 3), up3));
            const v128_t lefts = wasm_i32x4_mul(wasm_i32x4_splat(left), leftWeights);
            wasm_v128_store(block + j, wasm_i32x4_shr(wasm_i32x4_add(z, lefts), 12));
            left = (wasm_i32x4_extract_lane(z, 3) + left) >> 12;
        }
#undef at
    }
    diffuseHeatPlain(cells + (t - 1), width, lastTarget - (t - 1));
}

// Most of the picture is cold fire: sixteen zeros take the coldest colour without a lookup.
// Other cells are looked up one by one (WebAssembly has no gather), four written as one vector.
void renderHeatSimd128(const int32_t* cells, int64_t count, const uint32_t* palette,
                       uint32_t paletteSize, uint32_t* pixels) {
    const v128_t cold = wasm_i32x4_splat(int32_t(palette[0]));
    const v128_t top = wasm_i32x4_splat(int32_t(paletteSize - 1));
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const v128_t* heat = reinterpret_cast<const v128_t*>(cells + i);
        v128_t* out = reinterpret_cast<v128_t*>(pixels + i);
        if (!wasm_v128_any_true(
                wasm_v128_or(wasm_v128_or(wasm_v128_load(heat), wasm_v128_load(heat + 1)),
                             wasm_v128_or(wasm_v128_load(heat + 2), wasm_v128_load(heat + 3))))) {
            for (int k = 0; k < 4; ++k)
                wasm_v128_store(out + k, cold);
            continue;
        }
        for (int k = 0; k < 4; ++k) {
            const v128_t index = wasm_u32x4_min(wasm_v128_load(heat + k), top);
            wasm_v128_store(out + k, wasm_u32x4_make(palette[wasm_u32x4_extract_lane(index, 0)],
                                                     palette[wasm_u32x4_extract_lane(index, 1)],
                                                     palette[wasm_u32x4_extract_lane(index, 2)],
                                                     palette[wasm_u32x4_extract_lane(index, 3)]));
        }
    }
    renderHeatPlain(cells + i, count - i, palette, paletteSize, pixels + i);
}

} // namespace
#endif

void diffuseHeat(int32_t* cells, int32_t width, int64_t lastTarget) {
#if defined(EMBERHALL_X86)
    if (haveAvx2())
        return diffuseHeatAvx2(cells, width, lastTarget);
#elif defined(EMBERHALL_WASM_SIMD)
    return diffuseHeatSimd128(cells, width, lastTarget);
#endif
    diffuseHeatBlocks(cells, width, lastTarget);
}

void renderHeat(const int32_t* cells, int64_t count, const uint32_t* palette, uint32_t paletteSize,
                uint32_t* pixels) {
#if defined(EMBERHALL_X86)
    if (haveAvx2())
        return renderHeatAvx2(cells, count, palette, paletteSize, pixels);
#elif defined(EMBERHALL_WASM_SIMD)
    return renderHeatSimd128(cells, count, palette, paletteSize, pixels);
#endif
    renderHeatPlain(cells, count, palette, paletteSize, pixels);
}

const char* fireKernelName() {
#if defined(EMBERHALL_X86)
    if (haveAvx2())
        return "avx2";
#elif defined(EMBERHALL_WASM_SIMD)
    return "simd128";
#endif
    return "blocks";
}
