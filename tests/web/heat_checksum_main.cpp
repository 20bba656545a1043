// heat_checksum SEED STEPS: prints the native engine's heat checksum, for the page's test to
// compare with the one the page computes.
#include <cstdio>
#include <cstdlib>

#include "web/heat_checksum.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: heat_checksum SEED STEPS\n", stderr);
        return 2;
    }
    const auto seed = uint32_t(std::strtoul(argv[1], nullptr, 10));
    const int steps = std::atoi(argv[2]);
    std::printf("%s\n", heatChecksumText(seed, steps).c_str());
    return 0;
}
