#include "text/ember_look.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {
constexpr int fine = emberFineness;
constexpr float outlineWidth = emberOutlineWidth;
// A sheet pixel is drawn when at least this share of it is letter or outline.
constexpr float coverageToDraw = 0.45f;
// Where the ramp turns white-hot, in sheet pixels from the edge.
constexpr float whiteHotDepth = 4.8f;

struct Colour {
    float r = 0, g = 0, b = 0;
};

Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The ember ramp, by depth inside the letter in sheet pixels: a red-orange skin, orange, amber,
// yellow, and a white-hot core along the middle of the strokes.
Colour emberAt(float depth) {
    static const std::array<std::pair<float, Colour>, 6> stops = {{
        {0.0f, {178, 34, 8}},
        {1.2f, {240, 92, 14}},
        {2.3f, {255, 150, 32}},
        {3.2f, {255, 204, 84}},
        {4.0f, {255, 238, 170}},
        {4.8f, {255, 251, 228}},
    }};
    if (depth <= stops.front().first)
        return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (depth <= stops[i].first) {
            const float t = (depth - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
            return mix(stops[i - 1].second, stops[i].second, t);
        }
    }
    return stops.back().second;
}

// The outline: dark plum next to the letter, darker further out; never black, never blue-less.
Colour outlineAt(float distance) {
    return mix({58, 16, 34}, {30, 8, 26}, std::clamp(distance / outlineWidth, 0.0f, 1.0f));
}

// Squared Euclidean distance transform of one line (Felzenszwalb and Huttenlocher): d[q] becomes
// the smallest (q - p)^2 + f[p] over all p, from the lower envelope of those parabolas.
void distanceLine(const std::vector<float>& f, std::vector<float>& d) {
    const int n = int(f.size());
    std::vector<int> v(static_cast<size_t>(n));
    std::vector<float> z(size_t(n) + 1);
    const auto meet = [&f](int q, int p) {
        return ((f[size_t(q)] + float(q * q)) - (f[size_t(p)] + float(p * p))) / float(2 * (q - p));
    };
    int k = 0;
    z[0] = -std::numeric_limits<float>::infinity();
    z[1] = std::numeric_limits<float>::infinity();
    for (int q = 1; q < n; ++q) {
        float s = meet(q, v[size_t(k)]);
        while (s <= z[size_t(k)])
            s = meet(q, v[size_t(--k)]);
        ++k;
        v[size_t(k)] = q;
        z[size_t(k)] = s;
        z[size_t(k) + 1] = std::numeric_limits<float>::infinity();
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[size_t(k) + 1] < float(q))
            ++k;
        const int p = v[size_t(k)];
        d[size_t(q)] = float((q - p) * (q - p)) + f[size_t(p)];
    }
}

// Distance, in fine pixels, from every fine pixel to the nearest pixel where `target` holds.
std::vector<float> distanceTo(const std::vector<bool>& target, int size) {
    const float far = float(4 * size * size);
    std::vector<float> grid(size_t(size * size));
    for (size_t i = 0; i < grid.size(); ++i)
        grid[i] = target[i] ? 0.0f : far;
    std::vector<float> line(static_cast<size_t>(size));
    std::vector<float> out(static_cast<size_t>(size));
    for (int x = 0; x < size; ++x) {
        for (int y = 0; y < size; ++y)
            line[size_t(y)] = grid[size_t(y * size + x)];
        distanceLine(line, out);
        for (int y = 0; y < size; ++y)
            grid[size_t(y * size + x)] = out[size_t(y)];
    }
    for (int y = 0; y < size; ++y) {
        std::copy_n(grid.begin() + y * size, size, line.begin());
        distanceLine(line, out);
        std::copy_n(out.begin(), size, grid.begin() + y * size);
    }
    for (float& g : grid)
        g = std::sqrt(g);
    return grid;
}
} // namespace

// One cell of 0x00RRGGBB pixels (0 where nothing is drawn), top row first.
std::vector<uint32_t> emberCell(const std::vector<float>& coverage, int cell, float depthScale,
                                float grow) {
    const int fineCell = cell * fine;
    std::vector<bool> inside(coverage.size()), outside(coverage.size());
    for (size_t i = 0; i < coverage.size(); ++i)
        inside[i] = coverage[i] >= 0.5f;
    if (grow > 0.0f) {
        const std::vector<float> toLetter = distanceTo(inside, fineCell);
        for (size_t i = 0; i < coverage.size(); ++i)
            inside[i] = inside[i] || toLetter[i] <= grow * fine;
    }
    for (size_t i = 0; i < coverage.size(); ++i)
        outside[i] = !inside[i];
    const std::vector<float> toOutside = distanceTo(outside, fineCell);
    if (depthScale <= 0.0f) {
        // The deepest point of the strokes reaches the white-hot core, within limits.
        float deepest = 0.0f;
        for (size_t i = 0; i < coverage.size(); ++i) {
            if (inside[i])
                deepest = std::max(deepest, (toOutside[i] - 0.5f) / fine);
        }
        depthScale = deepest > 0.0f ? std::clamp(whiteHotDepth / deepest, 1.0f, 2.5f) : 1.0f;
    }
    const std::vector<float> toInside = distanceTo(inside, fineCell);

    std::vector<uint32_t> pixels(size_t(cell * cell), 0);
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            Colour sum;
            int covered = 0;
            for (int fy = 0; fy < fine; ++fy) {
                for (int fx = 0; fx < fine; ++fx) {
                    const size_t i = size_t((y * fine + fy) * fineCell + x * fine + fx);
                    Colour c;
                    if (inside[i]) {
                        c = emberAt((toOutside[i] - 0.5f) / fine * depthScale);
                    } else if (const float d = (toInside[i] - 0.5f) / fine; d < outlineWidth) {
                        c = outlineAt(d);
                    } else {
                        continue;
                    }
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++covered;
                }
            }
            if (float(covered) < coverageToDraw * fine * fine)
                continue;
            const auto channel = [covered](float total) {
                return uint32_t(std::clamp(std::lround(total / float(covered)), 0L, 255L));
            };
            // Blue never 0: no fire colour has any, and a letter pixel is never black.
            const uint32_t blue = std::max<uint32_t>(channel(sum.b), 1);
            pixels[size_t(y * cell + x)] = channel(sum.r) << 16 | channel(sum.g) << 8 | blue;
        }
    }
    return pixels;
}
