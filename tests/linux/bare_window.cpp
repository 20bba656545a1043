// A plain window for the tests, like the preview pane of a settings program: it prints its id,
// stays until it is ended, and with it goes the window.
//   bare_window WIDTH HEIGHT
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const unsigned width = argc > 1 ? unsigned(std::atoi(argv[1])) : 640;
    const unsigned height = argc > 2 ? unsigned(std::atoi(argv[2])) : 480;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("bare_window: no display\n", stderr);
        return 1;
    }
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width,
                                              height, 0, 0, 0);
    XStoreName(display, window, "bare window");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;)
        pause();
}
