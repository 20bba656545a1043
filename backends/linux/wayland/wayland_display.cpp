#include "linux/wayland/wayland_display.h"

#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "linux/common/stop_signals.h"
#include "linux/wayland/wayland_protocols.h"

namespace {
// The versions we speak; a compositor with older ones is bound at its own.
constexpr uint32_t compositorVersion = 4;
constexpr uint32_t seatVersion = 5;
constexpr uint32_t outputVersion = 2;
constexpr uint32_t layerShellVersion = 4;

template <typename Proxy>
Proxy* bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
            uint32_t ours) {
    return static_cast<Proxy*>(wl_registry_bind(registry, name, interface, std::min(offered, ours)));
}

WaylandDisplay& self(void* data) { return *static_cast<WaylandDisplay*>(data); }

const wl_registry_listener registryListener = {WaylandDisplay::onGlobal, WaylandDisplay::onGlobalRemove};

const wl_seat_listener seatListener = {
    [](void* data, wl_seat*, uint32_t capabilities) { self(data).onSeatCapabilities(capabilities); },
    [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener pointerListener = {
    [](void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        self(data).onPointerEnter(serial, surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        self(data).onPointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
        self(data).onPointerButton(button, state);
    },
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}, // axis: the wheel does not end it
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
};

const wl_keyboard_listener keyboardListener = {
    [](void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }, // the keymap: unused
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
    [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
        self(data).onKey(key, state);
    },
    [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};
} // namespace

WaylandDisplay::~WaylandDisplay() {
    if (!display_)
        return;
    for (const WaylandOutput& output : outputs_)
        wl_output_destroy(output.output);
    if (pointer_)
        wl_pointer_destroy(pointer_);
    if (keyboard_)
        wl_keyboard_destroy(keyboard_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (kdeIdle_)
        org_kde_kwin_idle_destroy(kdeIdle_);
    if (idleNotifier_)
        ext_idle_notifier_v1_destroy(idleNotifier_);
    if (viewporter_)
        wp_viewporter_destroy(viewporter_);
    if (layerShell_)
        zwlr_layer_shell_v1_destroy(layerShell_);
    if (shm_)
        wl_shm_destroy(shm_);
    if (compositor_)
        wl_compositor_destroy(compositor_);
    if (registry_)
        wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

bool WaylandDisplay::connect(std::string& error) {
    display_ = wl_display_connect(nullptr);
    if (!display_) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        error = name && *name ? std::string("cannot connect to the Wayland display \"") + name + "\""
                              : "no Wayland display to draw on (WAYLAND_DISPLAY is not set)";
        return false;
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    // The globals, then what binding them brought (the seat's capabilities).
    if (!roundtrip() || !roundtrip()) {
        error = "the Wayland display closed the connection";
        return false;
    }
    if (!compositor_ || !shm_) {
        error = "the Wayland display offers no shared-memory surfaces (wl_compositor, wl_shm)";
        return false;
    }
    return true;
}

void WaylandDisplay::onGlobal(void* data, wl_registry* registry, uint32_t name,
                              const char* interface, uint32_t version) {
    WaylandDisplay& d = self(data);
    const std::string_view is(interface);
    if (is == wl_compositor_interface.name) {
        d.compositor_ = bind<wl_compositor>(registry, name, &wl_compositor_interface, version, compositorVersion);
    } else if (is == wl_shm_interface.name) {
        d.shm_ = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    } else if (is == wl_seat_interface.name && !d.seat_) {
        d.seat_ = bind<wl_seat>(registry, name, &wl_seat_interface, version, seatVersion);
        wl_seat_add_listener(d.seat_, &seatListener, &d);
    } else if (is == zwlr_layer_shell_v1_interface.name) {
        d.layerShell_ = bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface,
                                                  version, layerShellVersion);
    } else if (is == wp_viewporter_interface.name) {
        d.viewporter_ = bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
    } else if (is == ext_idle_notifier_v1_interface.name) {
        d.idleNotifier_ = bind<ext_idle_notifier_v1>(registry, name, &ext_idle_notifier_v1_interface, version, 1);
    } else if (is == org_kde_kwin_idle_interface.name) {
        d.kdeIdle_ = bind<org_kde_kwin_idle>(registry, name, &org_kde_kwin_idle_interface, version, 1);
    } else if (is == wl_output_interface.name) {
        const WaylandOutput output{name, bind<wl_output>(registry, name, &wl_output_interface, version, outputVersion)};
        d.outputs_.push_back(output);
        if (d.outputAdded)
            d.outputAdded(output);
    }
}

void WaylandDisplay::onGlobalRemove(void* data, wl_registry*, uint32_t name) {
    WaylandDisplay& d = self(data);
    const auto gone = std::find_if(d.outputs_.begin(), d.outputs_.end(),
                                   [&](const WaylandOutput& o) { return o.name == name; });
    if (gone == d.outputs_.end())
        return;
    if (d.outputRemoved)
        d.outputRemoved(name); // its surface goes first, then the output
    wl_output_destroy(gone->output);
    d.outputs_.erase(gone);
}

void WaylandDisplay::onSeatCapabilities(uint32_t capabilities) {
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &pointerListener, this);
    } else if (!pointer && pointer_) {
        wl_pointer_destroy(pointer_);
        pointer_ = nullptr;
    }
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &keyboardListener, this);
    } else if (!keyboard && keyboard_) {
        wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
    }
}

void WaylandDisplay::hidePointer(uint32_t serial) {
    if (pointer_)
        wl_pointer_set_cursor(pointer_, serial, nullptr, 0, 0);
}

void WaylandDisplay::onPointerEnter(uint32_t serial, wl_surface* surface, double x, double y) {
    hidePointer(serial);
    pointerSurface_ = surface;
    pointerX_ = x;
    pointerY_ = y;
}

void WaylandDisplay::onPointerMotion(double x, double y) {
    if (watchInput && (x != pointerX_ || y != pointerY_))
        inputSeen = true;
    pointerX_ = x;
    pointerY_ = y;
}

void WaylandDisplay::onPointerButton(uint32_t button, uint32_t state) {
    if (watchInput && state == WL_POINTER_BUTTON_STATE_PRESSED && (button == BTN_LEFT || button == BTN_RIGHT))
        inputSeen = true;
}

void WaylandDisplay::onKey(uint32_t key, uint32_t state) {
    if (watchInput && state == WL_KEYBOARD_KEY_STATE_PRESSED && key == KEY_ESC)
        inputSeen = true;
}

bool WaylandDisplay::roundtrip() { return wl_display_roundtrip(display_) >= 0; }

bool WaylandDisplay::dispatch(int timeoutMs) {
    // Events already read come first; then wait for the socket (or a stop signal).
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0)
            return false;
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        return false;
    }
    pollfd waits[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {stopSignalDescriptor(), POLLIN, 0}};
    const int ready = poll(waits, stopSignalDescriptor() >= 0 ? 2 : 1, timeoutMs);
    if (ready > 0 && (waits[0].revents & POLLIN)) {
        if (wl_display_read_events(display_) < 0)
            return false;
    } else {
        wl_display_cancel_read(display_);
        if (ready > 0 && (waits[0].revents & (POLLERR | POLLHUP)))
            return false;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}
