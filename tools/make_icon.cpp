// Draws the program's icon, a small flame, and writes it as a Windows .ico file with the sizes
// Explorer and the window class ask for: 16, 24, 32 and 48 pixels as 32-bit bitmaps with an AND
// mask (what every version of Windows reads), and 256 pixels as PNG (what Vista on expects for
// the large size, and far smaller). The drawing is pure arithmetic, so the same program always
// writes the same bytes and the committed icon can be checked against it.
//
//   make_icon OUTPUT.ico
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace {
constexpr int iconSizes[] = {16, 24, 32, 48, 256};
constexpr int largestBitmapSize = 48; // larger sizes are stored as PNG
constexpr int samplesPerAxis = 8;     // 64 samples per pixel smooth the edges
constexpr double pi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};

// Outer to inner: a dark rim that keeps the outline readable on light and dark backgrounds at
// 16 pixels, the red-orange body, the yellow heart and the pale core.
constexpr Colour rimColour{0.55, 0.08, 0.02};
constexpr Colour bodyColour{0.93, 0.30, 0.05};
constexpr Colour heartColour{1.00, 0.72, 0.10};
constexpr Colour coreColour{1.00, 0.95, 0.70};

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// A flame tongue in unit coordinates: x to the right, y upward, the icon spanning -0.5..0.5 in
// x and 0..1 in y. Its round base is a circle of the given radius whose centre sits at
// (centreX, baseY); above the centre it narrows to a tip at tipY, bending sideways by up to
// `lean` like a flame in a draught.
struct Tongue {
    double centreX, baseY, radius, tipY, lean;

    // Signed horizontal distance from the outline, negative inside. Horizontal is enough: it
    // only decides inside or outside and the width of the rim, which may well be a little
    // thicker at the tip.
    double distance(double x, double y) const {
        double halfWidth;
        if (y <= baseY) {
            const double dy = (baseY - y) / radius;
            if (dy >= 1)
                return 1;
            halfWidth = radius * std::sqrt(1 - dy * dy);
        } else {
            const double t = (y - baseY) / (tipY - baseY);
            if (t >= 1)
                return 1;
            // Wide shoulders that taper into a slender point.
            halfWidth = radius * std::pow(1 - t, 1.6) * (1 + 0.25 * std::sin(pi * t));
        }
        const double above = std::max(0.0, y - baseY) / (tipY - baseY);
        const double centre = centreX + lean * std::sin(pi * above) * above;
        return std::abs(x - centre) - halfWidth;
    }
};

constexpr Tongue outerFlame{0.03, 0.30, 0.29, 0.98, 0.16};
constexpr Tongue sideFlame{-0.14, 0.27, 0.16, 0.66, -0.10};
constexpr Tongue heartFlame{0.03, 0.25, 0.19, 0.70, 0.10};
constexpr Tongue coreFlame{0.03, 0.21, 0.10, 0.45, 0.05};

// The colour of one sample point, in unit coordinates; alpha 0 outside the flame. `rimWidth` is
// about one pixel in those units, so the rim stays one pixel wide at the small sizes.
Rgba flameAt(double x, double y, double rimWidth) {
    const double outer = std::min(outerFlame.distance(x, y), sideFlame.distance(x, y));
    if (outer >= 0)
        return {};
    Colour colour = rimColour;
    if (outer < -rimWidth)
        colour = bodyColour;
    if (heartFlame.distance(x, y) < 0)
        colour = heartColour;
    if (coreFlame.distance(x, y) < 0)
        colour = coreColour;
    return {colour.r, colour.g, colour.b, 1};
}

// Straight (not premultiplied) RGBA rows, top row first.
std::vector<uint8_t> drawFlame(int size) {
    std::vector<uint8_t> pixels(size_t(size) * size * 4);
    const double unitsPerPixel = 1.0 / size;
    const double rimWidth = std::clamp(1.1 * unitsPerPixel, 0.015, 0.06);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            Rgba sum;
            for (int sy = 0; sy < samplesPerAxis; ++sy) {
                for (int sx = 0; sx < samplesPerAxis; ++sx) {
                    const double px = column + (sx + 0.5) / samplesPerAxis;
                    const double py = row + (sy + 0.5) / samplesPerAxis;
                    const double x = px * unitsPerPixel - 0.5;
                    const double y = 1 - py / size;
                    const Rgba sample = flameAt(x, y, rimWidth);
                    // Average premultiplied colours so edges do not darken.
                    sum.r += sample.r * sample.a;
                    sum.g += sample.g * sample.a;
                    sum.b += sample.b * sample.a;
                    sum.a += sample.a;
                }
            }
            uint8_t* out = &pixels[(size_t(row) * size + column) * 4];
            const double count = samplesPerAxis * samplesPerAxis;
            const double alpha = sum.a / count;
            auto channel = [&](double premultiplied) {
                const double straight = alpha > 0 ? premultiplied / sum.a : 0;
                return uint8_t(std::lround(std::clamp(straight, 0.0, 1.0) * 255));
            };
            out[0] = channel(sum.r);
            out[1] = channel(sum.g);
            out[2] = channel(sum.b);
            out[3] = uint8_t(std::lround(alpha * 255));
        }
    }
    return pixels;
}

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// The icon image format of the .ico file: a BITMAPINFOHEADER whose height counts the colour
// rows and the mask rows, the BGRA rows bottom-up, then the 1-bit AND mask (1 = transparent),
// each mask row padded to 32 bits.
std::vector<uint8_t> bitmapImage(const std::vector<uint8_t>& rgba, int size) {
    const int maskStride = ((size + 31) / 32) * 4;
    const uint32_t colourBytes = uint32_t(size) * size * 4;
    const uint32_t maskBytes = uint32_t(maskStride) * size;
    std::vector<uint8_t> out;
    putLittleEndian(out, 40, 4);       // header size
    putLittleEndian(out, size, 4);     // width
    putLittleEndian(out, 2 * size, 4); // height: colour and mask
    putLittleEndian(out, 1, 2);        // planes
    putLittleEndian(out, 32, 2);       // bits per pixel
    putLittleEndian(out, 0, 4);        // no compression
    putLittleEndian(out, colourBytes + maskBytes, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 0, 4);
    for (int row = size - 1; row >= 0; --row) {
        for (int column = 0; column < size; ++column) {
            const uint8_t* p = &rgba[(size_t(row) * size + column) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (int row = size - 1; row >= 0; --row) {
        std::vector<uint8_t> mask(maskStride, 0);
        for (int column = 0; column < size; ++column) {
            if (rgba[(size_t(row) * size + column) * 4 + 3] == 0)
                mask[column / 8] |= uint8_t(0x80 >> (column % 8));
        }
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

std::vector<uint8_t> pngImage(const std::vector<uint8_t>& rgba, int size) {
    int length = 0;
    unsigned char* png = stbi_write_png_to_mem(rgba.data(), size * 4, size, size, 4, &length);
    std::vector<uint8_t> out(png, png + length);
    STBIW_FREE(png);
    return out;
}

std::vector<uint8_t> iconFile() {
    std::vector<std::vector<uint8_t>> images;
    for (const int size : iconSizes) {
        const auto rgba = drawFlame(size);
        images.push_back(size <= largestBitmapSize ? bitmapImage(rgba, size)
                                                   : pngImage(rgba, size));
    }
    const int count = int(std::size(iconSizes));
    std::vector<uint8_t> out;
    putLittleEndian(out, 0, 2); // reserved
    putLittleEndian(out, 1, 2); // an icon, not a cursor
    putLittleEndian(out, count, 2);
    uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        const int size = iconSizes[i];
        out.push_back(uint8_t(size == 256 ? 0 : size)); // 0 stands for 256
        out.push_back(uint8_t(size == 256 ? 0 : size));
        out.push_back(0); // no palette
        out.push_back(0);
        putLittleEndian(out, 1, 2);  // planes
        putLittleEndian(out, 32, 2); // bits per pixel
        putLittleEndian(out, uint32_t(images[i].size()), 4);
        putLittleEndian(out, offset, 4);
        offset += uint32_t(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
        return 2;
    }
    const auto bytes = iconFile();
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
