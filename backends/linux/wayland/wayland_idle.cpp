#include "linux/wayland/wayland_idle.h"

#include "linux/wayland/wayland_display.h"
#include "linux/wayland/wayland_protocols.h"

namespace {
class CompositorIdleWatch final : public IdleWatch {
  public:
    CompositorIdleWatch(WaylandDisplay& display, uint32_t milliseconds) {
        wl_seat* seat = display.seat().seat();
        if (display.idleNotifier()) {
            notification_ = ext_idle_notifier_v1_get_idle_notification(display.idleNotifier(),
                                                                       milliseconds, seat);
            ext_idle_notification_v1_add_listener(notification_, &listener, this);
        } else {
            kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(display.kdeIdle(), seat, milliseconds);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kdeListener, this);
        }
    }
    ~CompositorIdleWatch() override {
        if (notification_)
            ext_idle_notification_v1_destroy(notification_);
        if (kdeTimeout_)
            org_kde_kwin_idle_timeout_release(kdeTimeout_);
    }

  private:
    static void idled(void* data) { static_cast<CompositorIdleWatch*>(data)->idle = true; }
    static void resumed(void* data) { static_cast<CompositorIdleWatch*>(data)->idle = false; }

    static constexpr ext_idle_notification_v1_listener listener = {
        [](void* data, ext_idle_notification_v1*) { idled(data); },
        [](void* data, ext_idle_notification_v1*) { resumed(data); },
    };
    static constexpr org_kde_kwin_idle_timeout_listener kdeListener = {
        [](void* data, org_kde_kwin_idle_timeout*) { idled(data); },
        [](void* data, org_kde_kwin_idle_timeout*) { resumed(data); },
    };

    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
};
} // namespace

std::unique_ptr<IdleWatch> watchCompositorIdle(WaylandDisplay& display, uint32_t milliseconds) {
    if (!display.seat().seat() || (!display.idleNotifier() && !display.kdeIdle()))
        return nullptr;
    return std::make_unique<CompositorIdleWatch>(display, milliseconds);
}
