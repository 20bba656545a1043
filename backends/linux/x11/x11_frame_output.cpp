#include "linux/x11/x11_frame_output.h"

#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "linux/x11/x11_errors.h"

namespace {
struct X11Console final : PixelConsole {
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    int pictureWidth = 0;
    int pictureHeight = 0;
    PictureScaler scaler;
    PixelLayout layout;
    XImage* image = nullptr;
    XShmSegmentInfo shm{};
    bool shared = false;
    bool sharedTried = false;
    // With RENDER the picture goes to the server at its own size, into a pixmap, and the server
    // scales it onto the window; the image then stays the picture's size.
    bool rendered = false;
    Pixmap pixmap = 0;
    Picture source = 0;
    Picture target = 0;
    int windowWidth = 0;
    int windowHeight = 0;
};

// The server scales the picture to the window: a transform from window to picture pixels,
// nearest neighbour, as our own stretch does.
void setRenderScale(Display* display, X11Console& console, int width, int height) {
    console.windowWidth = width;
    console.windowHeight = height;
    if (width <= 0 || height <= 0)
        return;
    XTransform transform{};
    transform.matrix[0][0] = XDoubleToFixed(double(console.pictureWidth) / width);
    transform.matrix[1][1] = XDoubleToFixed(double(console.pictureHeight) / height);
    transform.matrix[2][2] = XDoubleToFixed(1.0);
    XRenderSetPictureTransform(display, console.source, &transform);
}

// Sets up the server's scaling when it offers RENDER and knows the window's visual; false
// otherwise (our own stretch then does it).
bool startRender(Display* display, X11Console& console, int width, int height) {
    int event = 0, error = 0;
    if (!XRenderQueryExtension(display, &event, &error))
        return false;
    XRenderPictFormat* format = XRenderFindVisualFormat(display, console.visual);
    if (!format)
        return false;
    const X11ErrorTrap trap(display);
    console.pixmap = XCreatePixmap(display, console.window, unsigned(console.pictureWidth),
                                   unsigned(console.pictureHeight), unsigned(console.depth));
    console.source = XRenderCreatePicture(display, console.pixmap, format, 0, nullptr);
    console.target = XRenderCreatePicture(display, console.window, format, 0, nullptr);
    XRenderSetPictureFilter(display, console.source, FilterNearest, nullptr, 0);
    setRenderScale(display, console, width, height);
    XSync(display, False);
    return trap.passed();
}

void stopRender(Display* display, X11Console& console) {
    if (console.target)
        XRenderFreePicture(display, console.target);
    if (console.source)
        XRenderFreePicture(display, console.source);
    if (console.pixmap)
        XFreePixmap(display, console.pixmap);
    console.target = console.source = 0;
    console.pixmap = 0;
    console.rendered = false;
}

// Pixels of 32 bits in the image of a window of this depth.
bool hasThirtyTwoBitPixels(Display* display, int depth) {
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        found |= formats[i].depth == depth && formats[i].bits_per_pixel == 32;
    if (formats)
        XFree(formats);
    return found;
}

// Every surface of this output: its pixels lie in a shared-memory segment the server has
// attached, or, where the server cannot reach our memory, in a plain surface of the core's.
struct X11Surface : PixelSurface {
    PixelSurface* plain = nullptr; // the core's surface whose pixels these are, when not shared
    XShmSegmentInfo shm{};
    XImage* image = nullptr; // over the shared pixels, made for the first console that puts it
    bool shared() const { return plain == nullptr; }
};

void releaseImage(Display* display, X11Console& console) {
    if (!console.image)
        return;
    if (console.shared) {
        XShmDetach(display, &console.shm);
        XSync(display, False);
        shmdt(console.shm.shmaddr);
        console.image->data = nullptr;
    }
    XDestroyImage(console.image); // frees the data of a plain image
    console.image = nullptr;
    console.shared = false;
}

XImage* sharedImage(Display* display, X11Console& console, int width, int height) {
    XImage* image = XShmCreateImage(display, console.visual, unsigned(console.depth), ZPixmap,
                                    nullptr, &console.shm, unsigned(width), unsigned(height));
    if (!image)
        return nullptr;
    const std::size_t bytes = std::size_t(image->bytes_per_line) * std::size_t(height);
    console.shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (console.shm.shmid < 0) {
        XDestroyImage(image);
        return nullptr;
    }
    console.shm.shmaddr = image->data = static_cast<char*>(shmat(console.shm.shmid, nullptr, 0));
    console.shm.readOnly = False;
    bool attached = false;
    if (console.shm.shmaddr != reinterpret_cast<char*>(-1)) {
        // A remote server cannot reach our memory: the attach fails with an error, not a crash.
        const X11ErrorTrap trap(display);
        attached = XShmAttach(display, &console.shm) && trap.passed();
    }
    // Marked for removal now, so the segment goes with the process however it ends.
    shmctl(console.shm.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (console.shm.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(console.shm.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
        return nullptr;
    }
    return image;
}

XImage* plainImage(Display* display, X11Console& console, int width, int height) {
    XImage* image = XCreateImage(display, console.visual, unsigned(console.depth), ZPixmap, 0,
                                 nullptr, unsigned(width), unsigned(height), 32, 0);
    if (!image)
        return nullptr;
    image->data = static_cast<char*>(
        std::calloc(std::size_t(image->bytes_per_line) * std::size_t(height), 1));
    if (!image->data) {
        XDestroyImage(image);
        return nullptr;
    }
    return image;
}

void makeImage(Display* display, X11Console& console, int width, int height) {
    releaseImage(display, console);
    if (width <= 0 || height <= 0)
        return;
    if (!console.sharedTried || console.shared) {
        console.sharedTried = true;
        console.image = XShmQueryExtension(display) ? sharedImage(display, console, width, height)
                                                    : nullptr;
        console.shared = console.image != nullptr;
    }
    if (!console.image)
        console.image = plainImage(display, console, width, height);
    if (console.image) {
        console.layout.redMask = uint32_t(console.image->red_mask);
        console.layout.greenMask = uint32_t(console.image->green_mask);
        console.layout.blueMask = uint32_t(console.image->blue_mask);
        // On a 32-bit visual the remaining bits are alpha, and must say opaque.
        console.layout.otherBits =
            console.depth == 32 ? ~(console.layout.redMask | console.layout.greenMask |
                                    console.layout.blueMask)
                                : 0;
        console.scaler.configure(console.pictureWidth, console.pictureHeight, width, height,
                                 console.layout);
    }
}
} // namespace

X11FrameOutput::X11FrameOutput(Display* display) : display_(display) {}

bool X11FrameOutput::visualSupported(Display* display, const Visual* visual, int depth) {
    return visual && visual->c_class == TrueColor && (depth == 24 || depth == 32) &&
           hasThirtyTwoBitPixels(display, depth);
}

PixelConsole* X11FrameOutput::createConsole() { return new (std::nothrow) X11Console; }

void X11FrameOutput::openConsole(PixelConsole* base, NativeWindow window, int32_t width,
                                 int32_t height, PixelFormat*, int32_t) {
    auto* console = static_cast<X11Console*>(base);
    if (!console || !display_)
        return;
    console->window = Window(reinterpret_cast<uintptr_t>(window));
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, console->window, &attributes))
        return;
    console->visual = attributes.visual;
    console->depth = attributes.depth;
    console->pictureWidth = width;
    console->pictureHeight = height;
    console->gc = XCreateGC(display_, console->window, 0, nullptr);
    console->rendered = startRender(display_, *console, attributes.width, attributes.height);
    if (!console->rendered)
        stopRender(display_, *console);
    if (console->rendered)
        makeImage(display_, *console, width, height);
    else
        makeImage(display_, *console, attributes.width, attributes.height);
    console->open = console->image != nullptr;
}

void X11FrameOutput::resizeConsole(PixelConsole* base, int width, int height) {
    auto* console = static_cast<X11Console*>(base);
    if (!console || !console->gc)
        return;
    if (console->rendered) {
        if (width != console->windowWidth || height != console->windowHeight)
            setRenderScale(display_, *console, width, height);
        return;
    }
    if (console->image && console->image->width == width && console->image->height == height)
        return;
    makeImage(display_, *console, width, height);
    console->open = console->image != nullptr;
}

void X11FrameOutput::updateConsole(PixelConsole* base) {
    auto* console = static_cast<X11Console*>(base);
    if (!console || !console->open || !console->image || !console->handed ||
        !console->handed->pixels)
        return;
    XImage* image = console->image;
    // The server reads a shared surface straight into its pixmap when the visual takes the
    // picture's own pixels; otherwise the picture is copied (or stretched) into the image. The
    // console is handed only surfaces of this output.
    auto* surface = const_cast<X11Surface*>(static_cast<const X11Surface*>(console->handed));
    bool direct = surface->shared() && console->rendered && console->layout.redMask == 0x00FF0000 &&
                  console->layout.greenMask == 0x0000FF00 && console->layout.blueMask == 0x000000FF &&
                  console->layout.otherBits == 0 && surface->width == image->width &&
                  surface->height == image->height;
    if (direct) {
        if (!surface->image) {
            surface->image = XShmCreateImage(display_, console->visual, unsigned(console->depth), ZPixmap,
                                             reinterpret_cast<char*>(surface->pixels), &surface->shm,
                                             unsigned(surface->width), unsigned(surface->height));
        }
        if (surface->image && surface->image->bytes_per_line == surface->width * 4)
            image = surface->image;
        else
            direct = false;
    }
    if (!direct)
        console->scaler.scale(console->handed->pixels, reinterpret_cast<uint32_t*>(image->data),
                              std::size_t(image->bytes_per_line) / sizeof(uint32_t));
    const Drawable to = console->rendered ? console->pixmap : console->window;
    if (direct || console->shared)
        XShmPutImage(display_, to, console->gc, image, 0, 0, 0, 0, unsigned(image->width),
                     unsigned(image->height), False);
    else
        XPutImage(display_, to, console->gc, image, 0, 0, 0, 0, unsigned(image->width),
                  unsigned(image->height));
    if (console->rendered)
        XRenderComposite(display_, PictOpSrc, console->source, None, console->target, 0, 0, 0, 0, 0,
                         0, unsigned(console->windowWidth), unsigned(console->windowHeight));
    // The server has read the picture once this returns, so the next frame may overwrite it.
    XSync(display_, False);
}

void X11FrameOutput::closeConsole(PixelConsole* base) {
    auto* console = static_cast<X11Console*>(base);
    if (!console)
        return;
    console->open = false;
}

void X11FrameOutput::destroyConsole(PixelConsole* base) {
    auto* console = static_cast<X11Console*>(base);
    if (!console)
        return;
    if (display_) {
        releaseImage(display_, *console);
        stopRender(display_, *console);
        if (console->gc)
            XFreeGC(display_, console->gc);
    }
    delete console;
}

PixelSurface* X11FrameOutput::createSurface(int32_t width, int32_t height, PixelFormat* format) {
    if (width <= 0 || height <= 0 || !format)
        return nullptr;
    auto* surface = new (std::nothrow) X11Surface;
    if (!surface)
        return nullptr;
    surface->width = width;
    surface->height = height;
    if (display_ && XShmQueryExtension(display_)) {
        const std::size_t bytes = std::size_t(width) * std::size_t(height) * sizeof(uint32_t);
        surface->shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600); // a new segment is zeroed
        void* memory = surface->shm.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(surface->shm.shmid, nullptr, 0);
        bool attached = false;
        if (memory != reinterpret_cast<void*>(-1)) {
            surface->shm.shmaddr = static_cast<char*>(memory);
            surface->shm.readOnly = True;
            const X11ErrorTrap trap(display_);
            attached = XShmAttach(display_, &surface->shm) && (XSync(display_, False), trap.passed());
        }
        if (surface->shm.shmid >= 0)
            shmctl(surface->shm.shmid, IPC_RMID, nullptr); // goes with the process however it ends
        if (attached) {
            surface->pixels = static_cast<uint32_t*>(memory); // page-aligned
            return surface;
        }
        if (memory != reinterpret_cast<void*>(-1))
            shmdt(memory);
    }
    // A remote server, or none with MIT-SHM: plain memory.
    surface->plain = FrameOutput::createSurface(width, height, format);
    if (!surface->plain) {
        delete surface;
        return nullptr;
    }
    surface->pixels = surface->plain->pixels;
    return surface;
}

void X11FrameOutput::destroySurface(PixelSurface* base) {
    auto* surface = static_cast<X11Surface*>(base);
    if (!surface)
        return;
    if (surface->shared()) {
        XShmDetach(display_, &surface->shm);
        XSync(display_, False);
        if (surface->image) {
            surface->image->data = nullptr; // the segment is not the image's to free
            XDestroyImage(surface->image);
        }
        shmdt(surface->shm.shmaddr);
    } else {
        FrameOutput::destroySurface(surface->plain);
    }
    delete surface;
}
