#pragma once
// The connection to a Wayland compositor, as the saver uses it: the globals it binds (the
// compositor, shared memory, the seat, the layer shell or else xdg-shell, the viewporter, the
// outputs and an idle notifier), and the wait for what the compositor (or another source, such
// as GNOME's session bus) says next.
#include <poll.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "linux/wayland/wayland_seat.h"

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_output;
struct zwlr_layer_shell_v1;
struct xdg_wm_base;
struct wp_viewporter;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;

struct WaylandOutput {
    uint32_t name = 0; // the registry's name of the global
    wl_output* output = nullptr;
};

// What a compositor offers a saver, from the names of its globals.
struct WaylandDesktop {
    bool layerShell = false; // zwlr_layer_shell_v1: above every window and panel (sway, KDE, ...)
    bool xdgShell = false;   // xdg_wm_base: full-screen windows, the way on GNOME
    bool idleNotice = false; // ext_idle_notifier_v1 or org_kde_kwin_idle
    bool coversScreens() const { return layerShell || xdgShell; }
};
// Asks the compositor behind `connection` (another program's, such as GTK's) on an event queue
// of its own, so the owner's events are left to the owner.
WaylandDesktop waylandDesktopOf(wl_display* connection);

// Something else to wait for beside the compositor: its descriptors join the wait in dispatch.
class WaitSource {
  public:
    virtual ~WaitSource() = default;
    // Adds the descriptors to wait on and may shorten the wait (-1: without end).
    virtual void prepareWait(std::vector<pollfd>& waits, int& timeoutMs) = 0;
    // Handles what came, given the descriptors it added (with their revents).
    virtual void finishWait(const pollfd* waits, std::size_t count) = 0;
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
    WaylandSeat& seat() { return *seat_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    xdg_wm_base* xdgShell() const { return xdgShell_; }
    wp_viewporter* viewporter() const { return viewporter_; }
    ext_idle_notifier_v1* idleNotifier() const { return idleNotifier_; }
    org_kde_kwin_idle* kdeIdle() const { return kdeIdle_; }
    const std::vector<WaylandOutput>& outputs() const { return outputs_; }

    // Told of outputs that come and go while the program runs.
    std::function<void(const WaylandOutput&)> outputAdded;
    std::function<void(uint32_t name)> outputRemoved;

    // One more source to wait for in dispatch (null: none).
    void waitAlsoFor(WaitSource* source) { other_ = source; }

    // Sends what is queued, waits up to `timeoutMs` (-1: without end) for events, the other
    // source or a stop signal, and dispatches what came. False when the connection broke.
    bool dispatch(int timeoutMs);
    // Dispatches until the compositor has answered everything asked so far.
    bool roundtrip();

    // The registry's listeners, which reach into the display.
    static void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, uint32_t name);

  private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    std::unique_ptr<WaylandSeat> seat_ = std::make_unique<WaylandSeat>();
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    xdg_wm_base* xdgShell_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    ext_idle_notifier_v1* idleNotifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    std::vector<WaylandOutput> outputs_;
    WaitSource* other_ = nullptr;
};
