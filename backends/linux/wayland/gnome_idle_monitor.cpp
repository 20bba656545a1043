#include "linux/wayland/gnome_idle_monitor.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "linux/wayland/wayland_display.h"

namespace {
constexpr const char* monitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* monitorInterface = "org.gnome.Mutter.IdleMonitor";
constexpr const char* shieldName = "org.gnome.ScreenSaver";
constexpr const char* shieldPath = "/org/gnome/ScreenSaver";
constexpr const char* shieldInterface = "org.gnome.ScreenSaver";
constexpr int callTimeoutMs = 5000;

// The session bus the user's desktop runs, and no other: without an address GLib would start a
// bus of its own for the X display (dbus-launch), which no desktop would be on.
GDBusConnection* sessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        struct stat socket {};
        if (!runtime || *runtime != '/' || stat((std::string(runtime) + "/bus").c_str(), &socket) != 0 ||
            !S_ISSOCK(socket.st_mode))
            return nullptr;
    }
    return g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
}

// A method's reply, or null when the call failed.
GVariant* call(GDBusConnection* bus, const char* name, const char* path, const char* interface,
               const char* method, GVariant* arguments, const char* replyType) {
    return g_dbus_connection_call_sync(bus, name, path, interface, method, arguments,
                                       G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                       callTimeoutMs, nullptr, nullptr);
}

// A watch's id from AddIdleWatch or AddUserActiveWatch; 0 when the call failed.
guint addWatch(GDBusConnection* bus, const char* method, GVariant* arguments) {
    GVariant* reply = call(bus, monitorName, monitorPath, monitorInterface, method, arguments, "(u)");
    guint id = 0;
    if (reply) {
        g_variant_get(reply, "(u)", &id);
        g_variant_unref(reply);
    }
    return id;
}

void removeWatch(GDBusConnection* bus, guint id) {
    if (GVariant* reply = call(bus, monitorName, monitorPath, monitorInterface, "RemoveWatch",
                               g_variant_new("(u)", id), "()"))
        g_variant_unref(reply);
}

class GnomeIdleWatch final : public IdleWatch, public WaitSource {
  public:
    GnomeIdleWatch(WaylandDisplay& display) : display_(display) {
        context_ = g_main_context_new();
        g_main_context_acquire(context_);
        // Replies and signals of the bus come to this context: subscriptions take the context
        // that is the thread's default when they are made.
        g_main_context_push_thread_default(context_);
    }

    ~GnomeIdleWatch() override {
        display_.waitAlsoFor(nullptr);
        if (bus_) {
            for (guint subscription : {watchSubscription_, shieldSubscription_})
                if (subscription)
                    g_dbus_connection_signal_unsubscribe(bus_, subscription);
            if (activeWatch_)
                removeWatch(bus_, activeWatch_);
            if (idleWatch_)
                removeWatch(bus_, idleWatch_);
            g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
            g_object_unref(bus_);
        }
        // What the bus still had queued for us is dropped with the context.
        while (g_main_context_iteration(context_, FALSE)) {
        }
        g_main_context_pop_thread_default(context_);
        g_main_context_release(context_);
        g_main_context_unref(context_);
    }

    bool start(uint32_t milliseconds, std::string& why) {
        bus_ = sessionBus();
        if (!bus_) {
            why = "there is no session bus to ask GNOME for the idle time (DBUS_SESSION_BUS_ADDRESS is not set)";
            return false;
        }
        if (GVariant* idle = call(bus_, monitorName, monitorPath, monitorInterface, "GetIdletime", nullptr, "(t)"))
            g_variant_unref(idle);
        else {
            why = "this Wayland desktop tells no program when it is idle (it has neither ext_idle_notifier_v1 "
                  "nor org_kde_kwin_idle, and no org.gnome.Mutter.IdleMonitor on the session bus)";
            return false;
        }
        watchSubscription_ = g_dbus_connection_signal_subscribe(
            bus_, nullptr, monitorInterface, "WatchFired", monitorPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            onWatchFired, this, nullptr);
        shieldSubscription_ = g_dbus_connection_signal_subscribe(
            bus_, nullptr, shieldInterface, "ActiveChanged", shieldPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            onShieldChanged, this, nullptr);
        idleWatch_ = addWatch(bus_, "AddIdleWatch", g_variant_new("(t)", guint64(milliseconds)));
        if (!idleWatch_) {
            why = "GNOME's idle monitor did not take a watch (org.gnome.Mutter.IdleMonitor.AddIdleWatch)";
            return false;
        }
        // No shield service (a desktop without GNOME Shell) is no shield.
        if (GVariant* active = call(bus_, shieldName, shieldPath, shieldInterface, "GetActive", nullptr, "(b)")) {
            gboolean up = FALSE;
            g_variant_get(active, "(b)", &up);
            shielded = up;
            g_variant_unref(active);
        }
        display_.waitAlsoFor(this);
        return true;
    }

    void coveringStarts() override {
        userBack = false;
        activeWatch_ = addWatch(bus_, "AddUserActiveWatch", nullptr);
    }

    void coveringEnded() override {
        IdleWatch::coveringEnded();
        if (activeWatch_)
            removeWatch(bus_, activeWatch_);
        activeWatch_ = 0;
    }

    void prepareWait(std::vector<pollfd>& waits, int& timeoutMs) override {
        g_main_context_prepare(context_, &priority_);
        int glibTimeout = -1;
        int count = 0;
        while ((count = g_main_context_query(context_, priority_, &glibTimeout, fds_.data(),
                                             int(fds_.size()))) > int(fds_.size()))
            fds_.resize(std::size_t(count));
        fds_.resize(std::size_t(count));
        for (const GPollFD& fd : fds_)
            waits.push_back({fd.fd, short(fd.events), 0});
        if (glibTimeout >= 0 && (timeoutMs < 0 || glibTimeout < timeoutMs))
            timeoutMs = glibTimeout;
    }

    void finishWait(const pollfd* waits, std::size_t count) override {
        for (std::size_t i = 0; i < count && i < fds_.size(); ++i)
            fds_[i].revents = gushort(waits[i].revents);
        if (g_main_context_check(context_, priority_, fds_.data(), int(fds_.size())))
            g_main_context_dispatch(context_);
    }

  private:
    static void onWatchFired(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                             GVariant* parameters, gpointer data) {
        auto& self = *static_cast<GnomeIdleWatch*>(data);
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(u)")))
            return;
        guint id = 0;
        g_variant_get(parameters, "(u)", &id);
        if (id == self.idleWatch_) {
            self.idle = true;
        } else if (id != 0 && id == self.activeWatch_) {
            self.userBack = true;
            self.activeWatch_ = 0; // fires once, and is gone
        }
    }

    static void onShieldChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                GVariant* parameters, gpointer data) {
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)")))
            return;
        gboolean up = FALSE;
        g_variant_get(parameters, "(b)", &up);
        static_cast<GnomeIdleWatch*>(data)->shielded = up;
    }

    WaylandDisplay& display_;
    GMainContext* context_ = nullptr;
    GDBusConnection* bus_ = nullptr;
    guint watchSubscription_ = 0;
    guint shieldSubscription_ = 0;
    guint idleWatch_ = 0;
    guint activeWatch_ = 0;
    gint priority_ = 0;
    std::vector<GPollFD> fds_ = std::vector<GPollFD>(4);
};
} // namespace

std::unique_ptr<IdleWatch> watchGnomeIdle(WaylandDisplay& display, uint32_t milliseconds, std::string& why) {
    auto watch = std::make_unique<GnomeIdleWatch>(display);
    if (!watch->start(milliseconds, why))
        return nullptr;
    return watch;
}

bool gnomeIdleMonitorAvailable() {
    GDBusConnection* bus = sessionBus();
    if (!bus)
        return false;
    GVariant* idle = call(bus, monitorName, monitorPath, monitorInterface, "GetIdletime", nullptr, "(t)");
    if (idle)
        g_variant_unref(idle);
    g_object_unref(bus);
    return idle != nullptr;
}
