#include "idle_notice.h"

#include <algorithm>
#include <cstdint>
#include <limits>

idle_notice::idle_notice(const wayland_globals& globals, std::chrono::milliseconds timeout,
                         std::function<void()> idled, std::function<void()> resumed)
    : idled_(std::move(idled)), resumed_(std::move(resumed)) {
    const auto ms = static_cast<std::uint32_t>(
        std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, std::numeric_limits<std::uint32_t>::max()));
    if (!globals.seat) return;
    if (globals.idle_notifier) {
        static const ext_idle_notification_v1_listener listener = {on_idled, on_resumed};
        notification_ = ext_idle_notifier_v1_get_idle_notification(globals.idle_notifier, ms, globals.seat);
        ext_idle_notification_v1_add_listener(notification_, &listener, this);
    } else if (globals.kde_idle) {
        static const org_kde_kwin_idle_timeout_listener listener = {on_kde_idle, on_kde_resumed};
        kde_timeout_ = org_kde_kwin_idle_get_idle_timeout(globals.kde_idle, globals.seat, ms);
        org_kde_kwin_idle_timeout_add_listener(kde_timeout_, &listener, this);
    }
}

idle_notice::~idle_notice() {
    if (notification_) ext_idle_notification_v1_destroy(notification_);
    if (kde_timeout_) org_kde_kwin_idle_timeout_release(kde_timeout_);
}

void idle_notice::on_idled(void* data, ext_idle_notification_v1*) { static_cast<idle_notice*>(data)->idled_(); }
void idle_notice::on_resumed(void* data, ext_idle_notification_v1*) { static_cast<idle_notice*>(data)->resumed_(); }
void idle_notice::on_kde_idle(void* data, org_kde_kwin_idle_timeout*) { static_cast<idle_notice*>(data)->idled_(); }
void idle_notice::on_kde_resumed(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<idle_notice*>(data)->resumed_();
}
