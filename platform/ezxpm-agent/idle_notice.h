// One idle notice of the compositor for the session's seat: ext-idle-notify
// where offered, which honours idle inhibitors (a playing clip keeps the
// session awake), else KDE's idle protocol, which wlroots compositors of
// Debian 12 pause while an inhibitor is shown. Its count starts when it is
// made.
#ifndef EZXPM_AGENT_IDLE_NOTICE_H
#define EZXPM_AGENT_IDLE_NOTICE_H

#include <chrono>
#include <functional>

#include "wayland_globals.h"

class idle_notice {
public:
    // Nothing is asked where the compositor offers no idle notifier.
    idle_notice(const wayland_globals& globals, std::chrono::milliseconds timeout, std::function<void()> idled,
                std::function<void()> resumed);
    ~idle_notice();
    idle_notice(const idle_notice&) = delete;
    idle_notice& operator=(const idle_notice&) = delete;

private:
    static void on_idled(void* data, ext_idle_notification_v1*);
    static void on_resumed(void* data, ext_idle_notification_v1*);
    static void on_kde_idle(void* data, org_kde_kwin_idle_timeout*);
    static void on_kde_resumed(void* data, org_kde_kwin_idle_timeout*);

    std::function<void()> idled_;
    std::function<void()> resumed_;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* kde_timeout_ = nullptr;
};

#endif
