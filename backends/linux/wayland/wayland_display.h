#pragma once
// The connection to a Wayland compositor, as the saver uses it: the globals it binds (the
// compositor, shared memory, the seat, the layer shell, the viewporter, the outputs and an idle
// notifier), and the user's input reduced to the one thing a saver asks of it: has the user
// done anything that ends the saver?
//
// Input that ends the saver, as on Windows: the pointer moving, its first or second button
// (left and right), the Escape key. The pointer entering a surface of ours is not movement: a
// surface that appears under a still pointer gets an enter, and some compositors follow it with
// a motion to the same place.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_seat;
struct wl_pointer;
struct wl_keyboard;
struct wl_output;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct wp_viewporter;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

struct WaylandOutput {
    uint32_t name = 0; // the registry's name of the global
    wl_output* output = nullptr;
};

class WaylandDisplay {
  public:
    WaylandDisplay() = default;
    ~WaylandDisplay();
    WaylandDisplay(const WaylandDisplay&) = delete;
    WaylandDisplay& operator=(const WaylandDisplay&) = delete;

    // Connects to $WAYLAND_DISPLAY and binds the globals; false, with one line in `error`,
    // when there is no compositor or it lacks shared memory.
    bool connect(std::string& error);

    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    wl_shm* shm() const { return shm_; }
    wl_seat* seat() const { return seat_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    wp_viewporter* viewporter() const { return viewporter_; }
    ext_idle_notifier_v1* idleNotifier() const { return idleNotifier_; }
    org_kde_kwin_idle* kdeIdle() const { return kdeIdle_; }
    const std::vector<WaylandOutput>& outputs() const { return outputs_; }

    // Told of outputs that come and go while the program runs.
    std::function<void(const WaylandOutput&)> outputAdded;
    std::function<void(uint32_t name)> outputRemoved;

    // Set by input that ends the saver; the owner clears it when it starts to watch.
    bool inputSeen = false;
    // Whether input is watched at all: only while our surfaces show.
    bool watchInput = false;

    // Sends what is queued, waits up to `timeoutMs` (-1: without end) for events or a stop
    // signal, and dispatches what came. False when the connection broke.
    bool dispatch(int timeoutMs);
    // Dispatches until the compositor has answered everything asked so far.
    bool roundtrip();

    // Hides the pointer over our surfaces (the saver has no cursor).
    void hidePointer(uint32_t serial);

    // The listeners of the protocol, which reach into the display.
    static void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, uint32_t name);
    void onSeatCapabilities(uint32_t capabilities);
    void onPointerEnter(uint32_t serial, wl_surface* surface, double x, double y);
    void onPointerMotion(double x, double y);
    void onPointerButton(uint32_t button, uint32_t state);
    void onKey(uint32_t key, uint32_t state);

  private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    ext_idle_notifier_v1* idleNotifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    std::vector<WaylandOutput> outputs_;
    wl_surface* pointerSurface_ = nullptr;
    double pointerX_ = 0;
    double pointerY_ = 0;
};
