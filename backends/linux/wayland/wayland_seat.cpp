#include "linux/wayland/wayland_seat.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

#include <algorithm>

#include "linux/wayland/wayland_protocols.h"

namespace {
// The seat's version we speak; a compositor with an older one is bound at its own.
constexpr uint32_t seatVersion = 5;

WaylandSeat& self(void* data) {
    return *static_cast<WaylandSeat*>(data);
}

const wl_seat_listener seatListener = {
    [](void* data, wl_seat*, uint32_t capabilities) { self(data).onCapabilities(capabilities); },
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

const wl_touch_listener touchListener = {
    [](void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
        self(data).onTouch();
    },
    [](void*, wl_touch*, uint32_t, uint32_t, int32_t) {},
    [](void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_touch*) {},
    [](void*, wl_touch*) {},
    [](void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_touch*, int32_t, wl_fixed_t) {},
};

// Makes or lets go of one device of the seat as its capabilities come and go.
template <typename Device, typename Listener>
void follow(Device*& device, bool present, Device* (*get)(wl_seat*), wl_seat* seat,
            const Listener& listener, void* data) {
    if (present && !device) {
        device = get(seat);
        wl_proxy_add_listener(reinterpret_cast<wl_proxy*>(device),
                              reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)),
                              data);
    } else if (!present && device) {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(device));
        device = nullptr;
    }
}
} // namespace

WaylandSeat::~WaylandSeat() {
    follow(pointer_, false, wl_seat_get_pointer, seat_, pointerListener, this);
    follow(keyboard_, false, wl_seat_get_keyboard, seat_, keyboardListener, this);
    follow(touch_, false, wl_seat_get_touch, seat_, touchListener, this);
    if (seat_)
        wl_seat_destroy(seat_);
}

void WaylandSeat::bind(wl_registry* registry, uint32_t name, uint32_t version) {
    if (seat_)
        return;
    seat_ = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, seatVersion)));
    wl_seat_add_listener(seat_, &seatListener, this);
}

void WaylandSeat::onCapabilities(uint32_t capabilities) {
    follow(pointer_, capabilities & WL_SEAT_CAPABILITY_POINTER, wl_seat_get_pointer, seat_,
           pointerListener, this);
    follow(keyboard_, capabilities & WL_SEAT_CAPABILITY_KEYBOARD, wl_seat_get_keyboard, seat_,
           keyboardListener, this);
    follow(touch_, capabilities & WL_SEAT_CAPABILITY_TOUCH, wl_seat_get_touch, seat_, touchListener,
           this);
}

void WaylandSeat::onPointerEnter(uint32_t serial, wl_surface*, double x, double y) {
    if (pointer_)
        wl_pointer_set_cursor(pointer_, serial, nullptr, 0, 0);
    pointerX_ = x;
    pointerY_ = y;
}

void WaylandSeat::onPointerMotion(double x, double y) {
    if (watchInput && (x != pointerX_ || y != pointerY_))
        inputSeen = true;
    pointerX_ = x;
    pointerY_ = y;
}

void WaylandSeat::onPointerButton(uint32_t button, uint32_t state) {
    if (watchInput && state == WL_POINTER_BUTTON_STATE_PRESSED &&
        (button == BTN_LEFT || button == BTN_RIGHT))
        inputSeen = true;
}

void WaylandSeat::onKey(uint32_t key, uint32_t state) {
    if (watchInput && state == WL_KEYBOARD_KEY_STATE_PRESSED && key == KEY_ESC)
        inputSeen = true;
}

void WaylandSeat::onTouch() {
    if (watchInput)
        inputSeen = true;
}
