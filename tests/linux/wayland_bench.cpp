// Stand-ins for the Wayland tests, on a compositor that has no input devices and no programs:
//   wayland_bench window    an ordinary window (xdg-shell), all blue, until it is ended
//   wayland_bench pointer   a pointer device (wlroots' virtual pointer) that reads lines from
//                           stdin: "move DX DY", "button left|right|middle"; gone at the end
//                           of its input
// The virtual pointer protocol is not among Debian's protocol files; its two interfaces are
// written out here, with the requests this uses in their protocol order.
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>

#include "linux/wayland/wayland_protocols.h"

namespace {
extern const wl_interface virtualPointerInterface;
const wl_interface* createTypes[] = {&wl_seat_interface, &virtualPointerInterface};
const wl_interface* none[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes}, {"destroy", "", none}};
const wl_message pointerRequests[] = {
    {"motion", "uff", none}, {"motion_absolute", "uuuuu", none}, {"button", "uuu", none},
    {"axis", "uuf", none},   {"frame", "", none},                {"axis_source", "u", none},
    {"axis_stop", "uu", none}, {"axis_discrete", "uufi", none},  {"destroy", "", none},
};
const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 2, managerRequests, 0, nullptr};
const wl_interface virtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, pointerRequests, 0, nullptr};
enum { motionRequest = 0, buttonRequest = 2, frameRequest = 4 };

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* shell = nullptr;
    wl_proxy* pointers = nullptr;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto& g = *static_cast<Globals*>(data);
    const std::string is = interface;
    if (is == "wl_compositor")
        g.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (is == "wl_shm")
        g.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (is == "wl_seat")
        g.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (is == "xdg_wm_base")
        g.shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    else if (is == managerInterface.name)
        g.pointers = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &managerInterface, 1));
}

uint32_t milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

int window(wl_display* display, Globals& g) {
    static const xdg_wm_base_listener ping = {[](void*, xdg_wm_base* shell, uint32_t serial) {
        xdg_wm_base_pong(shell, serial);
    }};
    xdg_wm_base_add_listener(g.shell, &ping, nullptr);
    wl_surface* surface = wl_compositor_create_surface(g.compositor);
    xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(g.shell, surface);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdgSurface);
    xdg_toplevel_set_title(toplevel, "ordinary window");
    struct Size {
        int width = 640, height = 480;
        bool configured = false;
    } size;
    static const xdg_toplevel_listener toplevelListener = {
        [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
            auto& s = *static_cast<Size*>(data);
            if (width > 0 && height > 0) {
                s.width = width;
                s.height = height;
            }
        },
        [](void*, xdg_toplevel*) {}, [](void*, xdg_toplevel*, int32_t, int32_t) {},
        [](void*, xdg_toplevel*, wl_array*) {}};
    static const xdg_surface_listener surfaceListener = {[](void* data, xdg_surface* s, uint32_t serial) {
        xdg_surface_ack_configure(s, serial);
        static_cast<Size*>(data)->configured = true;
    }};
    xdg_toplevel_add_listener(toplevel, &toplevelListener, &size);
    xdg_surface_add_listener(xdgSurface, &surfaceListener, &size);
    wl_surface_commit(surface);
    while (!size.configured && wl_display_dispatch(display) >= 0) {
    }
    const std::size_t bytes = std::size_t(size.width) * std::size_t(size.height) * 4;
    const int fd = memfd_create("window", 0);
    if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0)
        return 1;
    auto* pixels = static_cast<uint32_t*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    for (std::size_t i = 0; i < bytes / 4; ++i)
        pixels[i] = 0x000000FF;
    wl_shm_pool* pool = wl_shm_create_pool(g.shm, fd, int32_t(bytes));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, size.width, size.height, size.width * 4,
                                                  WL_SHM_FORMAT_XRGB8888);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage_buffer(surface, 0, 0, size.width, size.height);
    wl_surface_commit(surface);
    std::puts("window shown");
    std::fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}

int pointer(wl_display* display, Globals& g) {
    if (!g.pointers || !g.seat) {
        std::fputs("wayland_bench: the compositor has no virtual pointers\n", stderr);
        return 1;
    }
    wl_proxy* device = wl_proxy_marshal_flags(g.pointers, 0, &virtualPointerInterface, 1, 0, g.seat, nullptr);
    wl_display_roundtrip(display);
    std::puts("pointer ready");
    std::fflush(stdout);
    for (std::string command; std::cin >> command;) {
        if (command == "move") {
            double dx = 0, dy = 0;
            std::cin >> dx >> dy;
            wl_proxy_marshal_flags(device, motionRequest, nullptr, 1, 0, milliseconds(),
                                   wl_fixed_from_double(dx), wl_fixed_from_double(dy));
        } else if (command == "button") {
            std::string which;
            std::cin >> which;
            const uint32_t button = which == "left" ? BTN_LEFT : which == "right" ? BTN_RIGHT : BTN_MIDDLE;
            for (uint32_t state : {1u, 0u}) {
                wl_proxy_marshal_flags(device, buttonRequest, nullptr, 1, 0, milliseconds(), button, state);
                wl_proxy_marshal_flags(device, frameRequest, nullptr, 1, 0);
            }
        }
        wl_proxy_marshal_flags(device, frameRequest, nullptr, 1, 0);
        wl_display_roundtrip(display);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display || argc < 2) {
        std::fputs("usage: wayland_bench window|pointer (on a Wayland display)\n", stderr);
        return 1;
    }
    Globals globals;
    static const wl_registry_listener listener = {onGlobal, [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    return std::strcmp(argv[1], "window") == 0 ? window(display, globals) : pointer(display, globals);
}
