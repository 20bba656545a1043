#pragma once
// X errors as values. Xlib's own handler ends the program at the first error; a screen saver
// whose window the host destroys, or that asks a remote server for shared memory, must instead
// notice and go on (or end cleanly).
#include <X11/Xlib.h>

// Installs handlers that record errors instead of exiting, and end the program with a one-line
// message when the connection to the display is lost.
void installX11ErrorHandlers();

// The resource of the latest BadWindow or BadDrawable error, 0 for none yet.
XID lastMissingResource();

// Errors that come while it lives are caught; passed() waits for the server and tells whether
// none came.
class X11ErrorTrap {
  public:
    explicit X11ErrorTrap(Display* display);
    bool passed() const;

  private:
    Display* display_;
    unsigned long before_;
};
