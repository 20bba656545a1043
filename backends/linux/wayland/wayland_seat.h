#pragma once
// The user's input on Wayland, reduced to the one thing a saver asks of it: has the user done
// anything that ends the saver?
//
// Input that ends the saver, as on Windows: the pointer moving, its first or second button
// (left and right), the Escape key; and, on a touch screen, a touch. The pointer entering a
// surface of ours is not movement: a surface that appears under a still pointer gets an enter,
// and some compositors follow it with a motion to the same place. Over our surfaces the
// pointer is hidden (the saver has no cursor).
#include <cstdint>

struct wl_registry;
struct wl_seat;
struct wl_pointer;
struct wl_keyboard;
struct wl_touch;
struct wl_surface;

class WaylandSeat {
  public:
    WaylandSeat() = default;
    ~WaylandSeat();
    WaylandSeat(const WaylandSeat&) = delete;
    WaylandSeat& operator=(const WaylandSeat&) = delete;

    // Binds the seat global `name` (the first one offered; later ones are left alone).
    void bind(wl_registry* registry, uint32_t name, uint32_t version);
    wl_seat* seat() const { return seat_; }

    // Set by input that ends the saver; the owner clears it when it starts to watch.
    bool inputSeen = false;
    // Whether input is watched at all: only while our surfaces show.
    bool watchInput = false;

    // The listeners of the protocol, which reach into the seat.
    void onCapabilities(uint32_t capabilities);
    void onPointerEnter(uint32_t serial, wl_surface* surface, double x, double y);
    void onPointerMotion(double x, double y);
    void onPointerButton(uint32_t button, uint32_t state);
    void onKey(uint32_t key, uint32_t state);
    void onTouch();

  private:
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_touch* touch_ = nullptr;
    double pointerX_ = 0;
    double pointerY_ = 0;
};
