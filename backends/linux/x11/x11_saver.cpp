#include "linux/x11/x11_saver.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <string>

#include "linux/common/frame_pacing.h"
#include "linux/common/stop_signals.h"
#include "linux/x11/x11_errors.h"
#include "linux/x11/x11_frame_output.h"
#include "scene/fire_scene.h"
#include "scene/frame_pacer.h"
#include "seams/clock.h"

namespace {
constexpr const char* windowTitle = "Emberhall";

class X11Saver {
  public:
    X11Saver(Display* display, const WindowPlan& plan, const Settings& settings,
             const SharedPlaces& places, Clock& clock)
        : display_(display), plan_(plan), settings_(settings), clock_(clock), output_(display),
          scene_(clock, places) {}

    int run();

  private:
    bool attachWindow();
    bool createOwnWindow();
    bool windowManagerRuns();
    void setFullscreen(bool on);
    void hideCursor(bool hidden);
    // Takes every pending event; false when the run is to end.
    bool handleEvents();
    bool handleOwnWindowEvent(XEvent& event);
    void release();

    Display* display_;
    WindowPlan plan_;
    Settings settings_;
    Clock& clock_;
    X11FrameOutput output_;
    SharedScene scene_;
    SaverPicture picture_;
    Window window_ = 0;
    bool ownWindow_ = false;
    bool windowGone_ = false;
    bool fullscreen_ = false;
    int pointerX_ = 0;
    int pointerY_ = 0;
    int windowedWidth_ = FireScene::width;
    int windowedHeight_ = FireScene::height;
    Colormap colormap_ = 0;
    Cursor blankCursor_ = 0;
    Atom wmProtocols_ = 0;
    Atom deleteWindow_ = 0;
    Atom wmState_ = 0;
    Atom wmStateFullscreen_ = 0;
};

bool X11Saver::attachWindow() {
    window_ = plan_.kind == WindowPlan::Kind::root ? DefaultRootWindow(display_) : plan_.window;
    XWindowAttributes attributes{};
    const X11ErrorTrap trap(display_);
    const bool exists = XGetWindowAttributes(display_, window_, &attributes) != 0;
    if (!trap.passed() || !exists) {
        std::fprintf(stderr, "emberhall: there is no window 0x%lx on this display\n", window_);
        return false;
    }
    if (!X11FrameOutput::visualSupported(display_, attributes.visual, attributes.depth)) {
        std::fprintf(stderr,
                     "emberhall: window 0x%lx has no TrueColor visual of depth 24 or 32 "
                     "(its depth is %d)\n",
                     window_, attributes.depth);
        return false;
    }
    // Its size, and whether it goes away; its input stays with whoever owns it.
    XSelectInput(display_, window_, StructureNotifyMask);
    return true;
}

bool X11Saver::createOwnWindow() {
    const int screen = DefaultScreen(display_);
    Visual* visual = DefaultVisual(display_, screen);
    int depth = DefaultDepth(display_, screen);
    if (!X11FrameOutput::visualSupported(display_, visual, depth)) {
        XVisualInfo info{};
        if (!(XMatchVisualInfo(display_, screen, 24, TrueColor, &info) ||
              XMatchVisualInfo(display_, screen, 32, TrueColor, &info)) ||
            !X11FrameOutput::visualSupported(display_, info.visual, info.depth)) {
            std::fputs("emberhall: this display has no TrueColor visual of depth 24 or 32\n", stderr);
            return false;
        }
        visual = info.visual;
        depth = info.depth;
    }
    const Window root = RootWindow(display_, screen);
    colormap_ = XCreateColormap(display_, root, visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = colormap_;
    attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask;
    window_ = XCreateWindow(display_, root, 0, 0, unsigned(FireScene::width),
                            unsigned(FireScene::height), 0, depth, InputOutput, visual,
                            CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    ownWindow_ = true;

    XStoreName(display_, window_, windowTitle);
    const Atom netWmName = XInternAtom(display_, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(windowTitle), int(std::string(windowTitle).size()));
    XClassHint classHint{const_cast<char*>("emberhall"), const_cast<char*>("Emberhall")};
    XSetClassHint(display_, window_, &classHint);
    wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    wmState_ = XInternAtom(display_, "_NET_WM_STATE", False);
    wmStateFullscreen_ = XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False);

    // An empty cursor for full screen, where the pointer would sit over the fire.
    char nothing = 0;
    const Pixmap empty = XCreateBitmapFromData(display_, window_, &nothing, 1, 1);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display_, empty);

    if (plan_.fullscreen && windowManagerRuns()) // asked for before the window first shows
        XChangeProperty(display_, window_, wmState_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&wmStateFullscreen_), 1);
    XMapWindow(display_, window_);
    if (plan_.fullscreen)
        setFullscreen(true);
    return true;
}

bool X11Saver::windowManagerRuns() {
    const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display_, DefaultRootWindow(display_), check, 0, 1, False, XA_WINDOW, &type,
                       &format, &count, &remaining, &data);
    const bool runs = data && count == 1;
    if (data)
        XFree(data);
    return runs;
}

void X11Saver::setFullscreen(bool on) {
    fullscreen_ = on;
    if (windowManagerRuns()) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = wmState_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = on ? 1 : 0; // add or remove
        event.xclient.data.l[1] = long(wmStateFullscreen_);
        event.xclient.data.l[3] = 1; // asked by an application
        XSendEvent(display_, DefaultRootWindow(display_), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        // No window manager to ask: the window covers the screen itself, and comes back.
        const int screen = DefaultScreen(display_);
        if (on)
            XMoveResizeWindow(display_, window_, 0, 0, unsigned(DisplayWidth(display_, screen)),
                              unsigned(DisplayHeight(display_, screen)));
        else
            XMoveResizeWindow(display_, window_, 0, 0, unsigned(windowedWidth_),
                              unsigned(windowedHeight_));
    }
    hideCursor(on);
    // Full screen ends when the pointer leaves the place it has now.
    Window rootReturn = 0, childReturn = 0;
    int x = 0, y = 0;
    unsigned int buttons = 0;
    XQueryPointer(display_, window_, &rootReturn, &childReturn, &pointerX_, &pointerY_, &x, &y,
                  &buttons);
    XFlush(display_);
}

void X11Saver::hideCursor(bool hidden) {
    if (hidden)
        XDefineCursor(display_, window_, blankCursor_);
    else
        XUndefineCursor(display_, window_);
}

bool X11Saver::handleOwnWindowEvent(XEvent& event) {
    switch (event.type) {
    case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        if (key == XK_Escape)
            return false;
        if (key == XK_F11)
            setFullscreen(!fullscreen_);
        return true;
    }
    case ClientMessage:
        // The window manager's close: a WM_PROTOCOLS message naming WM_DELETE_WINDOW. Other
        // messages may carry any number in that place.
        return !(event.xclient.message_type == wmProtocols_ && event.xclient.format == 32 &&
                 Atom(event.xclient.data.l[0]) == deleteWindow_);
    case MotionNotify:
        return !(fullscreen_ && (event.xmotion.x_root != pointerX_ || event.xmotion.y_root != pointerY_));
    case ButtonPress:
        // The first two buttons as on Windows: X numbers the right button 3 (2 is the middle one,
        // 4 and 5 the wheel, which does not end the saver).
        return !(fullscreen_ && (event.xbutton.button == Button1 || event.xbutton.button == Button3));
    default:
        return true;
    }
}

bool X11Saver::handleEvents() {
    while (XPending(display_) > 0) {
        XEvent event{};
        XNextEvent(display_, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
            windowGone_ = true;
            return false;
        }
        if (event.type == ConfigureNotify && event.xconfigure.window == window_) {
            output_.resizeConsole(picture_.console(), event.xconfigure.width, event.xconfigure.height);
            if (ownWindow_ && !fullscreen_) {
                windowedWidth_ = event.xconfigure.width;
                windowedHeight_ = event.xconfigure.height;
            }
            continue;
        }
        if (ownWindow_ && !handleOwnWindowEvent(event))
            return false;
    }
    // Destroyed by its owner between two frames: drawing into it only gave an error.
    if (lastMissingResource() == window_) {
        windowGone_ = true;
        return false;
    }
    return true;
}

void X11Saver::release() {
    picture_.close();
    scene_.stop();
    picture_.destroy();
    if (ownWindow_ && !windowGone_)
        XDestroyWindow(display_, window_);
    if (blankCursor_)
        XFreeCursor(display_, blankCursor_);
    if (colormap_)
        XFreeColormap(display_, colormap_);
    XSync(display_, False);
}

int X11Saver::run() {
    const bool own = plan_.kind == WindowPlan::Kind::own;
    if (!(own ? createOwnWindow() : attachWindow()))
        return 1;
    // The audio device first, as on Windows; then the frame output and the scene.
    scene_.openAudio(settings_);
    picture_.open(output_, nativeWindowOf(window_), FireScene::width, FireScene::height);
    scene_.start(settings_);

    FramePacer pacer;
    while (!stopRequested() && handleEvents()) {
        const int steps = pacer.stepsDue(clock_.tickCount());
        for (int i = 0; i < steps; ++i)
            scene_.drawFrame(picture_.pixels());
        if (steps > 0)
            picture_.present();
        sleepMilliseconds(pacer.millisecondsToNextStep(clock_.tickCount()));
    }
    release();
    return 0;
}
} // namespace

int runX11Saver(const WindowPlan& plan, const Settings& settings, const SharedPlaces& places,
                Clock& clock) {
    installX11ErrorHandlers();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = XDisplayName(nullptr);
        if (name && *name)
            std::fprintf(stderr, "emberhall: cannot open the display \"%s\"\n", name);
        else
            std::fputs("emberhall: no display to draw on (DISPLAY is not set)\n", stderr);
        return 1;
    }
    int code = 0;
    {
        X11Saver saver(display, plan, settings, places, clock);
        code = saver.run();
    }
    XCloseDisplay(display);
    return code;
}
