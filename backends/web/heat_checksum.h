#pragma once
// A fingerprint of the fire's heat grid, so that a build for another machine (WebAssembly in a
// browser) can be shown to compute exactly the fire of the native build: the same cells after
// the same steps from the same seed.
#include <cstdint>
#include <string>

// FNV-1a (64 bits) over the heat cells of a 1024 x 768 engine, each as four little-endian
// bytes, after `steps` steps with the random sequence seeded with `seed`. Reseeds the one
// random sequence of the process.
uint64_t heatChecksum(uint32_t seed, int steps);
// The same as sixteen hexadecimal digits.
std::string heatChecksumText(uint32_t seed, int steps);
