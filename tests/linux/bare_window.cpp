// A plain window for the tests, like the preview pane of a settings program: it prints its id,
// stays until it is ended, and with it goes the window.
//   bare_window WIDTH HEIGHT
// Or a client message of 32-bit data to a window, as a window manager or any client sends one:
//   bare_window message WINDOW TYPE ATOM     (TYPE and ATOM by name; ATOM is its first long)
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
int sendMessage(Display* display, char** argv) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(std::stoul(argv[2], nullptr, 0));
    event.xclient.message_type = XInternAtom(display, argv[3], False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, argv[4], False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display); // sends it
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "message") {
        Display* display = XOpenDisplay(nullptr);
        return display ? sendMessage(display, argv) : 1;
    }
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
