// PLACEHOLDER, to be replaced by the real program when the branches meet: the lead's
// backends/linux/main.cpp defines the `emberhall` target. This stand-in exists only so that
// the package and its tests can be built before then. It prints the options the program takes
// and does the one thing of this branch that needs no window: --add-to-xscreensaver.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "linux/xscreensaver_file.h"

namespace {
constexpr const char* help =
    "Usage: emberhall [OPTION]...\n"
    "A fire screen saver: a palette fire, messages over it, a fire sound and your music.\n"
    "\n"
    "  --window-id ID, -window-id ID  draw into that X window (hex or decimal)\n"
    "  --root, -root                  draw on the root window\n"
    "  --fullscreen                   start its own window full screen (F11 toggles)\n"
    "  --color standard|yellow|cycle  the fire's colours\n"
    "  --sound, --no-sound            the crackling fire sound\n"
    "  --music, --no-music            the music playlist\n"
    "  --sparks, --no-sparks          random sparks\n"
    "  --data-dir DIR                 read the data files from DIR\n"
    "  --add-to-xscreensaver          list Emberhall in ~/.xscreensaver\n"
    "  --help                         show this and end\n";
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--add-to-xscreensaver") == 0) {
        const char* home = std::getenv("HOME");
        return addToXScreenSaver(home ? home : "", std::cout, std::cerr);
    }
    std::cout << help;
    return 0;
}
