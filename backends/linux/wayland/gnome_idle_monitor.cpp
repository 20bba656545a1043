#include "linux/wayland/gnome_idle_monitor.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "linux/common/loaded_library.h"
#include "linux/wayland/wayland_display.h"

namespace {
constexpr const char* monitorName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* monitorPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* monitorInterface = "org.gnome.Mutter.IdleMonitor";
constexpr const char* shieldName = "org.gnome.ScreenSaver";
constexpr const char* shieldPath = "/org/gnome/ScreenSaver";
constexpr const char* shieldInterface = "org.gnome.ScreenSaver";
constexpr int callTimeoutMs = 5000;
constexpr const char* gioLibraryName = "libgio-2.0.so.0";

// The calls of GIO, GObject and GLib used here, typed by GIO's own headers.
struct Gio {
    decltype(&g_bus_get_sync) busGetSync;
    decltype(&g_dbus_connection_call_sync) callSync;
    decltype(&g_dbus_connection_signal_subscribe) signalSubscribe;
    decltype(&g_dbus_connection_signal_unsubscribe) signalUnsubscribe;
    decltype(&g_dbus_connection_flush_sync) flushSync;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_variant_new) variantNew;
    decltype(&g_variant_get) variantGet;
    decltype(&g_variant_unref) variantUnref;
    decltype(&g_variant_is_of_type) variantIsOfType;
    decltype(&g_variant_type_checked_) variantType;
    decltype(&g_main_context_new) contextNew;
    decltype(&g_main_context_unref) contextUnref;
    decltype(&g_main_context_acquire) contextAcquire;
    decltype(&g_main_context_release) contextRelease;
    decltype(&g_main_context_push_thread_default) pushThreadDefault;
    decltype(&g_main_context_pop_thread_default) popThreadDefault;
    decltype(&g_main_context_iteration) iteration;
    decltype(&g_main_context_prepare) prepare;
    decltype(&g_main_context_query) query;
    decltype(&g_main_context_check) check;
    decltype(&g_main_context_dispatch) dispatch;
};

// GIO with every call above, loaded once and kept to the end of the process (GDBus's thread
// lives as long); null when the library or a call is missing.
const Gio* gio() {
    static const Gio* loaded = []() -> const Gio* {
        void* library = dlopen(gioLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static Gio calls{};
        const bool complete =
            bindSymbol(library, "g_bus_get_sync", calls.busGetSync) &&
            bindSymbol(library, "g_dbus_connection_call_sync", calls.callSync) &&
            bindSymbol(library, "g_dbus_connection_signal_subscribe", calls.signalSubscribe) &&
            bindSymbol(library, "g_dbus_connection_signal_unsubscribe", calls.signalUnsubscribe) &&
            bindSymbol(library, "g_dbus_connection_flush_sync", calls.flushSync) &&
            bindSymbol(library, "g_object_unref", calls.objectUnref) &&
            bindSymbol(library, "g_variant_new", calls.variantNew) &&
            bindSymbol(library, "g_variant_get", calls.variantGet) &&
            bindSymbol(library, "g_variant_unref", calls.variantUnref) &&
            bindSymbol(library, "g_variant_is_of_type", calls.variantIsOfType) &&
            bindSymbol(library, "g_variant_type_checked_", calls.variantType) &&
            bindSymbol(library, "g_main_context_new", calls.contextNew) &&
            bindSymbol(library, "g_main_context_unref", calls.contextUnref) &&
            bindSymbol(library, "g_main_context_acquire", calls.contextAcquire) &&
            bindSymbol(library, "g_main_context_release", calls.contextRelease) &&
            bindSymbol(library, "g_main_context_push_thread_default", calls.pushThreadDefault) &&
            bindSymbol(library, "g_main_context_pop_thread_default", calls.popThreadDefault) &&
            bindSymbol(library, "g_main_context_iteration", calls.iteration) &&
            bindSymbol(library, "g_main_context_prepare", calls.prepare) &&
            bindSymbol(library, "g_main_context_query", calls.query) &&
            bindSymbol(library, "g_main_context_check", calls.check) &&
            bindSymbol(library, "g_main_context_dispatch", calls.dispatch);
        return complete ? &calls : nullptr;
    }();
    return loaded;
}

// The session bus the user's desktop runs, and no other: without an address GLib would start a
// bus of its own for the X display (dbus-launch), which no desktop would be on.
GDBusConnection* sessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        struct stat socket {};
        if (!runtime || *runtime != '/' ||
            stat((std::string(runtime) + "/bus").c_str(), &socket) != 0 ||
            !S_ISSOCK(socket.st_mode))
            return nullptr;
    }
    return gio()->busGetSync(G_BUS_TYPE_SESSION, nullptr, nullptr);
}

// A method's reply, or null when the call failed.
GVariant* call(GDBusConnection* bus, const char* name, const char* path, const char* interface,
               const char* method, GVariant* arguments, const char* replyType) {
    return gio()->callSync(bus, name, path, interface, method, arguments,
                           gio()->variantType(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                           callTimeoutMs, nullptr, nullptr);
}

// A watch's id from AddIdleWatch or AddUserActiveWatch; 0 when the call failed.
guint addWatch(GDBusConnection* bus, const char* method, GVariant* arguments) {
    GVariant* reply =
        call(bus, monitorName, monitorPath, monitorInterface, method, arguments, "(u)");
    guint id = 0;
    if (reply) {
        gio()->variantGet(reply, "(u)", &id);
        gio()->variantUnref(reply);
    }
    return id;
}

void removeWatch(GDBusConnection* bus, guint id) {
    if (GVariant* reply = call(bus, monitorName, monitorPath, monitorInterface, "RemoveWatch",
                               gio()->variantNew("(u)", id), "()"))
        gio()->variantUnref(reply);
}

class GnomeIdleWatch final : public IdleWatch, public WaitSource {
  public:
    GnomeIdleWatch(WaylandDisplay& display) : display_(display) {
        context_ = gio()->contextNew();
        gio()->contextAcquire(context_);
        // Replies and signals of the bus come to this context: subscriptions take the context
        // that is the thread's default when they are made.
        gio()->pushThreadDefault(context_);
    }

    ~GnomeIdleWatch() override {
        display_.waitAlsoFor(nullptr);
        if (bus_) {
            for (guint subscription : {watchSubscription_, shieldSubscription_})
                if (subscription)
                    gio()->signalUnsubscribe(bus_, subscription);
            if (activeWatch_)
                removeWatch(bus_, activeWatch_);
            if (idleWatch_)
                removeWatch(bus_, idleWatch_);
            gio()->flushSync(bus_, nullptr, nullptr);
            gio()->objectUnref(bus_);
        }
        // What the bus still had queued for us is dropped with the context.
        while (gio()->iteration(context_, FALSE)) {
        }
        gio()->popThreadDefault(context_);
        gio()->contextRelease(context_);
        gio()->contextUnref(context_);
    }

    bool start(uint32_t milliseconds, std::string& why) {
        bus_ = sessionBus();
        if (!bus_) {
            why = "there is no session bus to ask GNOME for the idle time "
                  "(DBUS_SESSION_BUS_ADDRESS is not set)";
            return false;
        }
        if (GVariant* idle = call(bus_, monitorName, monitorPath, monitorInterface, "GetIdletime",
                                  nullptr, "(t)"))
            gio()->variantUnref(idle);
        else {
            why = "this Wayland desktop tells no program when it is idle (it has neither "
                  "ext_idle_notifier_v1 "
                  "nor org_kde_kwin_idle, and no org.gnome.Mutter.IdleMonitor on the session bus)";
            return false;
        }
        watchSubscription_ =
            gio()->signalSubscribe(bus_, nullptr, monitorInterface, "WatchFired", monitorPath,
                                   nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onWatchFired, this, nullptr);
        shieldSubscription_ = gio()->signalSubscribe(
            bus_, nullptr, shieldInterface, "ActiveChanged", shieldPath, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, onShieldChanged, this, nullptr);
        idleWatch_ =
            addWatch(bus_, "AddIdleWatch", gio()->variantNew("(t)", guint64(milliseconds)));
        if (!idleWatch_) {
            why = "GNOME's idle monitor did not take a watch "
                  "(org.gnome.Mutter.IdleMonitor.AddIdleWatch)";
            return false;
        }
        // No shield service (a desktop without GNOME Shell) is no shield.
        if (GVariant* active =
                call(bus_, shieldName, shieldPath, shieldInterface, "GetActive", nullptr, "(b)")) {
            gboolean up = FALSE;
            gio()->variantGet(active, "(b)", &up);
            shielded = up;
            gio()->variantUnref(active);
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
        gio()->prepare(context_, &priority_);
        int glibTimeout = -1;
        int count = 0;
        while ((count = gio()->query(context_, priority_, &glibTimeout, fds_.data(),
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
        if (gio()->check(context_, priority_, fds_.data(), int(fds_.size())))
            gio()->dispatch(context_);
    }

  private:
    static void onWatchFired(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                             const gchar*, GVariant* parameters, gpointer data) {
        auto& self = *static_cast<GnomeIdleWatch*>(data);
        if (!gio()->variantIsOfType(parameters, gio()->variantType("(u)")))
            return;
        guint id = 0;
        gio()->variantGet(parameters, "(u)", &id);
        if (id == self.idleWatch_) {
            self.idle = true;
        } else if (id != 0 && id == self.activeWatch_) {
            self.userBack = true;
            self.activeWatch_ = 0; // fires once, and is gone
        }
    }

    static void onShieldChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar*, GVariant* parameters, gpointer data) {
        if (!gio()->variantIsOfType(parameters, gio()->variantType("(b)")))
            return;
        gboolean up = FALSE;
        gio()->variantGet(parameters, "(b)", &up);
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

std::unique_ptr<IdleWatch> watchGnomeIdle(WaylandDisplay& display, uint32_t milliseconds,
                                          std::string& why) {
    if (!gio()) {
        why = std::string("this Wayland desktop tells no program when it is idle (it has neither "
                          "ext_idle_notifier_v1 nor org_kde_kwin_idle), and GIO (") +
              gioLibraryName + "), through which GNOME would, cannot be loaded";
        return nullptr;
    }
    auto watch = std::make_unique<GnomeIdleWatch>(display);
    if (!watch->start(milliseconds, why))
        return nullptr;
    return watch;
}

bool gnomeIdleMonitorAvailable() {
    GDBusConnection* bus = gio() ? sessionBus() : nullptr;
    if (!bus)
        return false;
    GVariant* idle =
        call(bus, monitorName, monitorPath, monitorInterface, "GetIdletime", nullptr, "(t)");
    if (idle)
        gio()->variantUnref(idle);
    gio()->objectUnref(bus);
    return idle != nullptr;
}
