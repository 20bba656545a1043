#include "linux/x11/x11_errors.h"

#include <unistd.h>

#include <cstdio>

namespace {
unsigned long errorCount = 0;
XID missingResource = 0;

int recordError(Display*, XErrorEvent* error) {
    ++errorCount;
    if (error->error_code == BadWindow || error->error_code == BadDrawable)
        missingResource = error->resourceid;
    return 0;
}

int lostDisplay(Display*) {
    // Xlib ends the program after this returns; say why first. The sound stops with the
    // process.
    std::fputs("emberhall: lost the connection to the display\n", stderr);
    _exit(1);
}
} // namespace

void installX11ErrorHandlers() {
    XSetErrorHandler(recordError);
    XSetIOErrorHandler(lostDisplay);
}

XID lastMissingResource() { return missingResource; }

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), before_(errorCount) {
    XSync(display_, False);
    before_ = errorCount;
}

bool X11ErrorTrap::passed() const {
    XSync(display_, False);
    return errorCount == before_;
}
