#pragma once
// Helpers shared by the message-text tests: a private temporary directory, files written into
// it, TGA images built byte by byte, and the particles of a list read out in order.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/glyph_particles.h"

// The text tests call the shared temporary directory by a shorter name.
using TempDir = TempDirectory;

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// An 18-byte TGA header followed by `storedRows`, pixels given top row first as 0x00RRGGBB
// and stored bottom row first as blue, green, red, alpha.
inline std::vector<uint8_t> tgaHeader(uint8_t type, uint16_t width, uint16_t height,
                                      uint8_t depth = 32, uint8_t idLength = 0) {
    std::vector<uint8_t> bytes(18, 0);
    bytes[0] = idLength;
    bytes[2] = type;
    bytes[12] = uint8_t(width & 0xFF);
    bytes[13] = uint8_t(width >> 8);
    bytes[14] = uint8_t(height & 0xFF);
    bytes[15] = uint8_t(height >> 8);
    bytes[16] = depth;
    bytes[17] = 8; // eight alpha bits, origin bottom left
    return bytes;
}

inline std::vector<uint8_t> tgaImage(uint8_t type, uint16_t width, uint16_t height,
                                     const std::vector<uint32_t>& topFirst, uint8_t alpha = 255) {
    std::vector<uint8_t> bytes = tgaHeader(type, width, height);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = topFirst[size_t(row) * width + x];
            bytes.insert(bytes.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), alpha});
        }
    }
    return bytes;
}

struct PlacedCharacter {
    char32_t character;
    float x;
    float y;
    bool operator==(const PlacedCharacter&) const = default;
};

inline void PrintTo(const PlacedCharacter& p, std::ostream* os) {
    *os << "U+" << std::hex << uint32_t(p.character) << std::dec << " at (" << p.x << ", " << p.y
        << ")";
}

inline std::vector<PlacedCharacter> placed(ParticleList& list) {
    std::vector<PlacedCharacter> out;
    for (GlyphParticle* p = list.first(); p; p = list.next())
        out.push_back({p->character, p->x, p->y});
    return out;
}
