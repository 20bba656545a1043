#include "linux/wayland/wayland_display.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "linux/common/stop_signals.h"
#include "linux/wayland/wayland_protocols.h"

namespace {
// The versions we speak; a compositor with older ones is bound at its own.
constexpr uint32_t compositorVersion = 4;
constexpr uint32_t outputVersion = 2;
constexpr uint32_t layerShellVersion = 4;

template <typename Proxy>
Proxy* bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
            uint32_t ours) {
    return static_cast<Proxy*>(wl_registry_bind(registry, name, interface, std::min(offered, ours)));
}

WaylandDisplay& self(void* data) { return *static_cast<WaylandDisplay*>(data); }

const wl_registry_listener registryListener = {WaylandDisplay::onGlobal, WaylandDisplay::onGlobalRemove};

// A compositor that does not hear the answer to its ping takes the program for hung (GNOME
// offers to end it).
const xdg_wm_base_listener pingListener = {
    [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }};

bool isIdleNotice(std::string_view interface) {
    return interface == ext_idle_notifier_v1_interface.name ||
           interface == org_kde_kwin_idle_interface.name;
}
} // namespace

WaylandDesktop waylandDesktopOf(wl_display* connection) {
    WaylandDesktop desktop;
    wl_event_queue* queue = wl_display_create_queue(connection);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(connection));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    static const wl_registry_listener listener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            auto& d = *static_cast<WaylandDesktop*>(data);
            const std::string_view is(interface);
            d.layerShell |= is == zwlr_layer_shell_v1_interface.name;
            d.xdgShell |= is == xdg_wm_base_interface.name;
            d.idleNotice |= isIdleNotice(is);
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &desktop);
    wl_display_roundtrip_queue(connection, queue);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
    return desktop;
}

WaylandDisplay::~WaylandDisplay() {
    if (!display_)
        return;
    for (const WaylandOutput& output : outputs_)
        wl_output_destroy(output.output);
    seat_.reset();
    if (kdeIdle_)
        org_kde_kwin_idle_destroy(kdeIdle_);
    if (idleNotifier_)
        ext_idle_notifier_v1_destroy(idleNotifier_);
    if (viewporter_)
        wp_viewporter_destroy(viewporter_);
    if (xdgShell_)
        xdg_wm_base_destroy(xdgShell_);
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
    } else if (is == wl_seat_interface.name) {
        d.seat_->bind(registry, name, version);
    } else if (is == zwlr_layer_shell_v1_interface.name) {
        d.layerShell_ = bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface,
                                                  version, layerShellVersion);
    } else if (is == xdg_wm_base_interface.name) {
        d.xdgShell_ = bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(d.xdgShell_, &pingListener, nullptr);
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
    std::vector<pollfd> waits = {{wl_display_get_fd(display_), POLLIN, 0}};
    if (stopSignalDescriptor() >= 0)
        waits.push_back({stopSignalDescriptor(), POLLIN, 0});
    const std::size_t ours = waits.size();
    if (other_)
        other_->prepareWait(waits, timeoutMs);
    const int ready = poll(waits.data(), nfds_t(waits.size()), timeoutMs);
    bool connected = true;
    if (ready > 0 && (waits[0].revents & POLLIN)) {
        connected = wl_display_read_events(display_) >= 0;
    } else {
        wl_display_cancel_read(display_);
        connected = !(ready > 0 && (waits[0].revents & (POLLERR | POLLHUP)));
    }
    if (other_)
        other_->finishWait(waits.data() + ours, waits.size() - ours);
    return connected && wl_display_dispatch_pending(display_) >= 0;
}
